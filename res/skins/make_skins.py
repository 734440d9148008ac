#!/usr/bin/env python3
"""Writes the three skin resource folders (skin.xml and SVG pictures) next to this script.

The folders are committed; run this again after changing the look. The description of each
folder carries a salted SHA-256 of the resource password, which the engine checks before it
loads anything.
"""
import colorsys
import hashlib
import os
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))
PASSWORD = "7QOVANETHRIM"

# The palette: a sunny sky over warm paper, with one bright colour per category.
SKY = "#29b6f6"
SKY_DARK = "#0288d1"
SKY_LIGHT = "#81d4fa"
PAPER = "#fff8e7"
ORANGE = "#ff9800"
ORANGE_LIGHT = "#ffe0b2"
BROWN = "#5d4037"
WHITE = "#ffffff"


def shift(colour, hue, sat, bri):
    """The engine's colour shift, to paint the preset swatches as they will look."""
    r, g, b = (int(colour[i:i + 2], 16) / 255 for i in (1, 3, 5))
    h, l, s = colorsys.rgb_to_hls(r, g, b)
    h = ((h * 360 + hue + 360) % 360) / 360

    def move(v, a):
        a /= 100
        return v * (1 + a) if a < 0 else v + (1 - v) * a
    if s > 0:
        s = move(s, sat)
    l = move(l, bri)
    r, g, b = colorsys.hls_to_rgb(h, l, s)
    return "#%02x%02x%02x" % tuple(round(max(0, min(1, c)) * 255) for c in (r, g, b))


PRESETS = {"11": (10, -30, 0), "22": (0, 0, 0), "33": (108, -35, 0), "44": (136, 0, 0),
           "55": (-180, -25, 0), "66": (-150, -25, 0), "77": (-100, -49, 0), "88": (23, -100, 0)}


def svg(body, size=64):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
            'viewBox="0 0 %d %d">%s</svg>\n' % (size, size, size, size, body))


# --- pictures -------------------------------------------------------------------------------

GLYPH = 'stroke="#ffffff" stroke-width="7" stroke-linecap="round" stroke-linejoin="round" fill="none"'
CAPTION_GLYPHS = {
    "close.svg": '<path d="M18 18 L46 46 M46 18 L18 46" %s/>' % GLYPH,
    "max.svg": '<rect x="15" y="17" width="34" height="30" rx="5" %s/>' % GLYPH,
    "restore.svg": '<rect x="12" y="24" width="28" height="26" rx="4" %s/>'
                   '<path d="M24 16 H48 Q52 16 52 20 V40" %s/>' % (GLYPH, GLYPH),
    "min.svg": '<path d="M16 44 H48" %s/>' % GLYPH,
    "menu.svg": '<path d="M16 20 H48 M16 32 H48 M16 44 H48" %s/>' % GLYPH,
    "feed.svg": '<rect x="12" y="18" width="40" height="30" rx="5" %s/>'
                '<path d="M14 22 L32 36 L50 22" %s/>' % (GLYPH, GLYPH),
    "skin.svg": '<path d="M32 8 C16 8 6 20 6 33 C6 46 17 56 28 56 C33 56 34 52 32 48 '
                'C30 44 33 40 38 40 H46 C53 40 58 35 58 28 C58 16 46 8 32 8 Z" fill="#ffffff"/>'
                '<circle cx="20" cy="30" r="5" fill="#ef5350"/><circle cx="28" cy="18" r="5" fill="#ffca28"/>'
                '<circle cx="41" cy="19" r="5" fill="#66bb6a"/><circle cx="48" cy="30" r="5" fill="#42a5f5"/>',
}


def badge(colour, inner):
    """A category picture: a bright round badge with a white symbol."""
    return svg('<circle cx="32" cy="33" r="29" fill="#000000" fill-opacity="0.12"/>'
               '<circle cx="32" cy="31" r="29" fill="%s"/>'
               '<circle cx="32" cy="31" r="25" fill="none" stroke="#ffffff" stroke-opacity="0.5" stroke-width="2"/>'
               '%s' % (colour, inner))


TOOLS = {
    # home
    "tool_plim.svg": badge("#ff7043", '<path d="M14 32 L32 16 L50 32" stroke="#ffffff" stroke-width="5" '
                           'stroke-linecap="round" stroke-linejoin="round" fill="none"/>'
                           '<path d="M20 30 V46 H44 V30 L32 20 Z" fill="#ffffff"/>'
                           '<rect x="28" y="35" width="8" height="11" rx="2" fill="#ff7043"/>'),
    # songs
    "tool_eg.svg": badge("#ec407a", '<path d="M26 42 V18 L46 14 V38" stroke="#ffffff" stroke-width="5" '
                         'stroke-linejoin="round" fill="none"/>'
                         '<circle cx="21" cy="43" r="7" fill="#ffffff"/><circle cx="41" cy="39" r="7" fill="#ffffff"/>'),
    # stories
    "tool_gs.svg": badge("#66bb6a", '<path d="M12 20 Q22 16 31 21 V47 Q22 42 12 46 Z" fill="#ffffff"/>'
                         '<path d="M52 20 Q42 16 33 21 V47 Q42 42 52 46 Z" fill="#ffffff"/>'
                         '<path d="M17 27 Q22 25 27 27 M17 33 Q22 31 27 33 M37 27 Q42 25 47 27" '
                         'stroke="#66bb6a" stroke-width="2" fill="none" stroke-linecap="round"/>'),
    # knowledge
    "tool_zs.svg": badge("#ffb300", '<path d="M32 12 C22 12 17 20 17 27 C17 34 23 37 25 42 H39 '
                         'C41 37 47 34 47 27 C47 20 42 12 32 12 Z" fill="#ffffff"/>'
                         '<rect x="25" y="44" width="14" height="4" rx="2" fill="#ffffff"/>'
                         '<rect x="27" y="50" width="10" height="3" rx="1.5" fill="#ffffff"/>'
                         '<path d="M28 30 L32 36 L36 30" stroke="#ffb300" stroke-width="2.5" fill="none" '
                         'stroke-linecap="round" stroke-linejoin="round"/>'),
    # games
    "tool_yx.svg": badge("#ab47bc", '<path d="M18 22 H46 C53 22 57 30 57 38 C57 46 52 49 48 45 L43 40 '
                         'H21 L16 45 C12 49 7 46 7 38 C7 30 11 22 18 22 Z" fill="#ffffff"/>'
                         '<path d="M20 27 V37 M15 32 H25" stroke="#ab47bc" stroke-width="3.5" stroke-linecap="round"/>'
                         '<circle cx="41" cy="29" r="3" fill="#ef5350"/><circle cx="47" cy="35" r="3" fill="#42a5f5"/>'),
    # cartoons
    "tool_dh.svg": badge("#ef5350", '<rect x="12" y="20" width="40" height="28" rx="6" fill="#ffffff"/>'
                         '<path d="M24 12 L32 20 L40 12" stroke="#ffffff" stroke-width="3.5" fill="none" '
                         'stroke-linecap="round" stroke-linejoin="round"/>'
                         '<path d="M28 27 V41 L40 34 Z" fill="#ef5350"/>'),
    # community
    "tool_mm.svg": badge("#26a69a", '<circle cx="22" cy="24" r="7" fill="#ffffff"/><circle cx="42" cy="24" r="7" fill="#ffffff"/>'
                         '<path d="M10 48 C10 38 16 33 22 33 C28 33 34 38 34 48 Z" fill="#ffffff"/>'
                         '<path d="M30 48 C30 38 36 33 42 33 C48 33 54 38 54 48 Z" fill="#ffffff"/>'),
}

LOGO = svg('<circle cx="32" cy="32" r="16" fill="#ffeb3b"/>'
           + "".join('<path d="M32 4 V12" stroke="#ffeb3b" stroke-width="5" stroke-linecap="round" '
                     'transform="rotate(%d 32 32)"/>' % a for a in range(0, 360, 45))
           + '<circle cx="26" cy="29" r="2.5" fill="#5d4037"/><circle cx="38" cy="29" r="2.5" fill="#5d4037"/>'
           '<path d="M25 37 Q32 43 39 37" stroke="#5d4037" stroke-width="2.5" fill="none" stroke-linecap="round"/>')

TREE = {
    "star.svg": svg('<path d="M32 6 L39.6 22.4 L57.5 24.6 L44.3 36.9 L47.8 54.6 L32 45.8 L16.2 54.6 '
                    'L19.7 36.9 L6.5 24.6 L24.4 22.4 Z" fill="#ffca28" stroke="#ffa000" stroke-width="3" '
                    'stroke-linejoin="round"/>'),
    "folder.svg": svg('<path d="M6 18 Q6 12 12 12 H26 L31 18 H52 Q58 18 58 24 V48 Q58 54 52 54 H12 '
                      'Q6 54 6 48 Z" fill="#ffa726"/><path d="M6 26 H58 V48 Q58 54 52 54 H12 Q6 54 6 48 Z" '
                      'fill="#ffcc80"/>'),
    # The mark of a title kept on this machine: a green badge with a tick.
    "saved.svg": svg('<circle cx="32" cy="32" r="27" fill="#66bb6a" stroke="#ffffff" stroke-width="5"/>'
                     '<path d="M19 33 L28 42 L46 23" stroke="#ffffff" stroke-width="7" fill="none" '
                     'stroke-linecap="round" stroke-linejoin="round"/>'),
}

PLAYER_GLYPH = 'fill="#29b6f6"'
PLAYER = {
    "btn_open.svg": svg('<path d="M32 54 C14 40 6 32 6 21 C6 13 12 8 19 8 C25 8 29 11 32 16 '
                        'C35 11 39 8 45 8 C52 8 58 13 58 21 C58 32 50 40 32 54 Z" fill="#ef5350"/>'),
    "btn_play.svg": svg('<path d="M20 10 L54 32 L20 54 Z" %s stroke="#29b6f6" stroke-width="6" '
                        'stroke-linejoin="round"/>' % PLAYER_GLYPH),
    "btn_pause.svg": svg('<rect x="14" y="10" width="13" height="44" rx="4" %s/>'
                         '<rect x="37" y="10" width="13" height="44" rx="4" %s/>' % (PLAYER_GLYPH, PLAYER_GLYPH)),
    "btn_stop.svg": svg('<rect x="12" y="12" width="40" height="40" rx="8" fill="#ff7043"/>'),
    "btn_full.svg": svg('<path d="M8 24 V8 H24 M40 8 H56 V24 M56 40 V56 H40 M24 56 H8 V40" '
                        'stroke="#66bb6a" stroke-width="7" fill="none" stroke-linecap="round" '
                        'stroke-linejoin="round"/>'),
    # Listening: play straight through, the sleep timer, the sound.
    "btn_next.svg": svg('<path d="M8 14 L30 32 L8 50 Z M32 14 L54 32 L32 50 Z" fill="#ab47bc" '
                        'stroke="#ab47bc" stroke-width="4" stroke-linejoin="round"/>'),
    "btn_sleep.svg": svg('<path d="M40 8 A24 24 0 1 0 56 44 A20 20 0 1 1 40 8 Z" fill="#ffca28" '
                         'stroke="#ffa000" stroke-width="3" stroke-linejoin="round"/>'),
    "btn_sound.svg": svg('<path d="M8 24 H20 L34 12 V52 L20 40 H8 Z" %s/>'
                         '<path d="M42 22 Q48 32 42 42 M48 16 Q58 32 48 48" stroke="#29b6f6" '
                         'stroke-width="5" fill="none" stroke-linecap="round"/>' % PLAYER_GLYPH),
    "btn_muted.svg": svg('<path d="M8 24 H20 L34 12 V52 L20 40 H8 Z" fill="#90a4ae"/>'
                         '<path d="M42 24 L56 40 M56 24 L42 40" stroke="#ef5350" stroke-width="6" '
                         'stroke-linecap="round"/>'),
}


def texture(kind):
    """Background patterns for the title band: soft white shapes on a 96-pixel tile."""
    w = 'fill="#ffffff" fill-opacity="0.22"'
    if kind == "11":  # dots
        body = "".join('<circle cx="%d" cy="%d" r="6" %s/>' % (x, y, w)
                       for x, y in ((16, 16), (64, 16), (40, 48), (88, 48), (16, 80), (64, 80)))
    elif kind == "22":  # stars
        star = ('<path d="M0 -12 L3.5 -4 L12 -3.7 L5.6 2 L7.4 10.5 L0 6 L-7.4 10.5 L-5.6 2 '
                'L-12 -3.7 L-3.5 -4 Z" %s transform="translate(%d %d)"/>')
        body = star % (w, 24, 24) + star % (w, 72, 70)
    elif kind == "33":  # hearts
        heart = ('<path d="M0 10 C-12 2 -14 -4 -14 -8 C-14 -13 -9 -16 -5 -16 C-2 -16 0 -14 0 -11 '
                 'C0 -14 2 -16 5 -16 C9 -16 14 -13 14 -8 C14 -4 12 2 0 10 Z" %s transform="translate(%d %d)"/>')
        body = heart % (w, 24, 28) + heart % (w, 72, 76)
    elif kind == "44":  # stripes
        body = "".join('<path d="M%d 96 L%d 0 L%d 0 L%d 96 Z" %s/>' % (x, x + 48, x + 64, x + 16, w)
                       for x in (-48, 0, 48))
    elif kind == "55":  # bubbles
        body = "".join('<circle cx="%d" cy="%d" r="%d" fill="none" stroke="#ffffff" '
                       'stroke-opacity="0.3" stroke-width="3"/>' % c
                       for c in ((22, 24, 12), (70, 30, 7), (50, 72, 16), (86, 84, 5)))
    elif kind == "66":  # clouds
        cloud = ('<g transform="translate(%d %d)"><circle cx="-10" cy="0" r="9" %s/><circle cx="2" cy="-5" '
                 'r="11" %s/><circle cx="14" cy="1" r="8" %s/><rect x="-19" y="0" width="41" height="9" '
                 'rx="4.5" %s/></g>')
        body = cloud % (24, 26, w, w, w, w) + cloud % (70, 72, w, w, w, w)
    elif kind == "77":  # flowers
        flower = "".join('<circle cx="%d" cy="%d" r="6" %s/>' % (dx, dy, w)
                         for dx, dy in ((0, -8), (8, 0), (0, 8), (-8, 0)))
        body = ('<g transform="translate(24 24)">%s</g><g transform="translate(72 72)">%s</g>'
                % (flower, flower))
    else:  # "88" checks
        body = '<rect x="0" y="0" width="48" height="48" %s/><rect x="48" y="48" width="48" height="48" %s/>' % (w, w)
    return svg(body, 96)


def theme_preview(colour, accent):
    return svg('<rect x="2" y="2" width="60" height="60" rx="10" fill="%s"/>'
               '<rect x="2" y="2" width="60" height="20" rx="10" fill="%s"/>'
               '<rect x="2" y="12" width="60" height="10" fill="%s"/>'
               '<rect x="8" y="28" width="20" height="28" rx="4" fill="#ffffff"/>'
               '<rect x="32" y="28" width="24" height="28" rx="4" fill="#ffffff" fill-opacity="0.7"/>'
               % (PAPER, colour, colour) + '<circle cx="12" cy="12" r="5" fill="%s"/>' % accent)


def hue_track():
    """The hue slider's track: the colour wheel the shift turns through, in thin bands."""
    bands = []
    for i in range(60):
        colour = shift(SKY, -180 + i * 6, 0, 0)
        bands.append('<rect x="%d" y="0" width="3" height="8" fill="%s"/>' % (i * 2, colour))
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="120" height="8" viewBox="0 0 120 8">%s</svg>\n'
            % "".join(bands))


HUE_TRACK = hue_track()


# --- descriptions ---------------------------------------------------------------------------

def attrs(**kw):
    return "".join(' %s="%s"' % (k.replace("_", "-"), v) for k, v in kw.items())


def lock(salt):
    return '  <lock salt="%s" sha256="%s"/>\n' % (
        salt, hashlib.sha256((salt + PASSWORD).encode()).hexdigest())


def zorbel_xml():
    out = ['<?xml version="1.0" encoding="UTF-8"?>\n<skin name="Zorbel">\n', lock("zorbel-sky-1")]
    out.append('  <element name="mainframe11" fill="%s" border="%s" border-width="2">\n' % (PAPER, SKY_DARK))
    out.append('    <item name="item.band" rect="0,0,0,124" fill="%s" fill2="%s"/>\n' % ("#4fc3f7", "#0aa5ea"))
    out.append('    <item name="item.texture" rect="0,0,0,124" value-picture="1" tile="96"/>\n')
    out.append('    <item name="item.hill" rect="0,116,0,10" fill="#9ccc65"/>\n')
    out.append('    <item name="item.logo" rect="8,3,26,26" picture="logo.svg"/>\n')
    out.append('    <item name="item.text" rect="36,2,360,28"%s/>\n'
               % attrs(text_color=WHITE, font_size=16, bold=1, text_align="left"))
    out.append('    <item name="item.footer" rect="0,-24,0,0" fill="%s"/>\n' % ORANGE_LIGHT)
    out.append('  </element>\n')
    for name, pic in (("close", "close"), ("max", "max"), ("restore", "restore"), ("min", "min"),
                      ("menu", "menu"), ("feed", "feed")):
        hover = ' fill="#ff5252" alpha="255"' if name == "close" else ' alpha="120"'
        out.append('  <element name="button.system.%s" fill="#ffffff" alpha="60" radius="9" '
                   'picture="%s.svg" picture-size="18">\n' % (name, pic))
        out.append('    <state name="hover"%s/>\n    <state name="pressed" fill="%s" alpha="255"/>\n'
                   '    <state name="focus" border="#fff59d" border-width="2"/>\n'
                   % (hover, SKY_DARK))
        out.append('  </element>\n')
    out.append('  <element name="item.btn.skin" fill="#ffffff" alpha="60" radius="9" picture="skin.svg" '
               'picture-size="22">\n    <state name="hover" alpha="130"/>\n'
               '    <state name="pressed" fill="%s" alpha="255"/>\n  </element>\n' % SKY_DARK)
    for tool in ("plim", "eg", "gs", "zs", "yx", "dh", "mm"):
        out.append('  <element name="tool.%s" picture="tool_%s.svg" picture-size="46" layout="top" '
                   'radius="16" text-color="#ffffff" font-size="15" bold="1">\n' % (tool, tool))
        out.append('    <state name="hover" fill="#ffffff" alpha="70"/>\n')
        out.append('    <state name="checked" fill="#ffffff" fill2="#fff3d6" shadow="#01579b" text-color="%s" '
                   'alpha="255"/>\n' % SKY_DARK)
        # The selected button only lightens under the mouse: the plain hover is see-through.
        out.append('    <state name="checked+hover" fill="#ffffff" fill2="#fffaeb" alpha="255"/>\n')
        out.append('    <state name="focus" border="#fff59d" border-width="2"/>\n')
        out.append('  </element>\n')
    out.append('  <element name="radio.tab" fill="%s" radius="12" text-color="#e65100" font-size="14" bold="1">\n'
               '    <state name="hover" fill="#ffcc80"/>\n'
               '    <state name="checked" fill="#ffa726" fill2="%s" text-color="#ffffff" shadow="#e65100"/>\n'
               '    <state name="checked+hover" fill="#ffb74d" fill2="%s"/>\n'
               '    <state name="focus" border="%s" border-width="2"/>\n  </element>\n'
               % (ORANGE_LIGHT, ORANGE, ORANGE, SKY_DARK))
    out.append('  <element name="item.plim.btn.NavText" fill="%s" fill2="%s" radius="13" text-color="#ffffff" '
               'font-size="14" bold="1"/>\n' % ("#4fc3f7", SKY_DARK))
    out.append('  <element name="item.text.link" text-color="%s" font-size="13" text-align="left">\n'
               '    <state name="hover" text-color="#ef6c00" underline="1"/>\n  </element>\n' % SKY_DARK)
    out.append('  <element name="window.default" fill="%s"/>\n' % PAPER)
    out.append('  <element name="winTip" fill="%s" border="%s" border-width="3"/>\n' % (PAPER, SKY))
    out.append('</skin>\n')
    return "".join(out)


def plim_xml():
    out = ['<?xml version="1.0" encoding="UTF-8"?>\n<skin name="ZorbelPlim">\n', lock("zorbel-plim-1")]
    out.append('  <element name="tree.videolist" fill="#ffffff" border="%s" border-width="2"/>\n' % ORANGE_LIGHT)
    out.append('  <element name="drawitem.item" row-height="32" font-size="15" text-color="%s" '
               'picture="star.svg" picture-size="20" padding="2" indent="22">\n' % BROWN)
    out.append('    <state name="branch" picture="folder.svg" picture-size="22" bold="1" text-color="#e65100"/>\n')
    out.append('    <state name="hover" fill="#fff3e0" radius="10"/>\n')
    out.append('    <state name="selected" fill="#ffb74d" fill2="%s" radius="10" text-color="#ffffff"/>\n' % ORANGE)
    out.append('  </element>\n')
    out.append('  <element name="drawitem.cached" picture="saved.svg" picture-size="18"/>\n')
    out.append('  <element name="winChild" fill="%s" border="%s" border-width="2"/>\n' % (PAPER, ORANGE_LIGHT))
    for name in ("Open", "Play", "Pause", "Stop", "Full"):
        out.append('  <element name="item.plim.btn.%s" fill="#ffffff" border="%s" border-width="3" radius="40" '
                   'picture="btn_%s.svg" picture-size="22" shadow="#b3e5fc">\n'
                   '    <state name="hover" fill="#e1f5fe"/>\n    <state name="pressed" fill="#b3e5fc"/>\n'
                   '    <state name="focus" border="#ffb300"/>\n'
                   '    <state name="disabled" border="#cfd8dc" fill="#eceff1"/>\n  </element>\n'
                   % (name, SKY_LIGHT, name.lower()))
    # The listening switches light up while they are on; the sound button shows a crossed
    # speaker while muted.
    for name, picture, on in (("Next", "next", 'fill="#f3e5f5" border="#ab47bc"'),
                              ("Sleep", "sleep", 'fill="#fff8e1" border="#ffa000"'),
                              ("Sound", "sound", 'picture="btn_muted.svg" border="#90a4ae"')):
        out.append('  <element name="item.plim.btn.%s" fill="#ffffff" border="%s" border-width="3" radius="40" '
                   'picture="btn_%s.svg" picture-size="22" shadow="#b3e5fc">\n'
                   '    <state name="checked" %s/>\n'
                   '    <state name="hover" fill="#e1f5fe"/>\n    <state name="pressed" fill="#b3e5fc"/>\n'
                   '    <state name="focus" border="#ffb300"/>\n  </element>\n'
                   % (name, SKY_LIGHT, picture, on))
    out.append('  <element name="slider.plim.volume">\n')
    out.append('    <item name="item.track" rect="9,0,-9,8" radius="4" fill="#e1f5fe" border="%s" '
               'border-width="1"/>\n' % SKY_LIGHT)
    out.append('    <item name="item.fill" rect="9,0,-9,8" radius="4" fill="#4fc3f7" fill2="%s"/>\n' % SKY_DARK)
    out.append('    <item name="item.thumb" rect="0,0,18,18" fill="#ffffff" border="%s" border-width="3" '
               'radius="9" shadow="#90a4ae">\n' % SKY)
    out.append('      <state name="hover" border="%s"/>\n      <state name="focus" border="#ffb300"/>\n'
               '      <state name="pressed" fill="#fff59d"/>\n    </item>\n  </element>\n' % SKY_DARK)
    out.append('</skin>\n')
    return "".join(out)


# The colour page's four sliders (hue, saturation, brightness, transparency) under the preset
# colours, all inside the 138 x 197 panel.
SLIDER_LABELS = ("色调", "饱和", "亮度", "透明")
SLIDER_TOP = 104
SLIDER_STEP = 22


def changeskin_xml():
    out = ['<?xml version="1.0" encoding="UTF-8"?>\n<skin name="changeskin">\n', lock("zorbel-panel-1")]
    out.append('  <element name="changeskin" fill="#ffffff" border="%s" border-width="2">\n' % SKY)
    for i, (name, label) in enumerate((("color", "颜色"), ("texture", "纹理"), ("theme", "主题"))):
        selected = name == "color"
        out.append('    <item name="radiobtn.%s" rect="%d,5,40,26" clickable="1">\n' % (name, 5 + i * 43))
        out.append('      <item name="item.uncheck" rect="0,0,0,0" visible="%d" fill="#e1f5fe" radius="9" '
                   'text-color="%s" font-size="13" bold="1" value="%s"/>\n' % (0 if selected else 1, SKY_DARK, label))
        out.append('      <item name="item.check" rect="0,0,0,0" visible="%d" fill="%s" fill2="%s" radius="9" '
                   'text-color="#ffffff" font-size="13" bold="1" value="%s"/>\n'
                   % (1 if selected else 0, "#4fc3f7", SKY_DARK, label))
        out.append('    </item>\n')
    out.append('    <item name="drawitem.color" rect="0,36,0,0">\n')
    for n, key in enumerate(sorted(PRESETS)):
        x, y = 9 + (n % 4) * 31, 4 + (n // 4) * 30
        out.append('      <item name="item.color.%s" rect="%d,%d,26,26" clickable="1" fill="%s" fixed="1" '
                   'radius="13" border="#ffffff" border-width="2" shadow="#b0bec5">\n'
                   '        <state name="hover" border="#ffb300" border-width="3"/>\n      </item>\n'
                   % (key, x, y, shift(SKY, *PRESETS[key])))
    # Each slider's name at its left; the sliders themselves are windows placed by their
    # elements' rects below.
    for n, label in enumerate(SLIDER_LABELS):
        out.append('      <item name="item.label.%d" rect="4,%d,30,20" text-color="%s" font-size="11" '
                   'value="%s"/>\n' % (n + 1, SLIDER_TOP - 36 + n * SLIDER_STEP, SKY_DARK, label))
    out.append('    </item>\n')
    out.append('    <item name="drawitem.texture" rect="0,36,0,0" visible="0">\n')
    for n, key in enumerate(("11", "22", "33", "44", "55", "66", "77", "88", "99")):
        x, y = 8 + (n % 3) * 42, 4 + (n // 3) * 42
        pic = "texture%s.svg" % key if key != "99" else "none.svg"
        colour = shift(SKY, *PRESETS.get(key, PRESETS["11"]))
        out.append('      <item name="item.texture.%s" rect="%d,%d,38,38" clickable="1" fill="%s" fixed="1" '
                   'radius="8" picture="%s" tile="38" border="#ffffff" border-width="2" shadow="#b0bec5">\n'
                   '        <state name="hover" border="#ffb300" border-width="3"/>\n      </item>\n'
                   % (key, x, y, colour, pic))
    out.append('    </item>\n')
    out.append('    <item name="drawitem.theme" rect="0,36,0,0" visible="0">\n')
    for n, key in enumerate(("11", "22", "33", "44")):
        x, y = 10 + (n % 2) * 62, 6 + (n // 2) * 62
        out.append('      <item name="item.theme.%s" rect="%d,%d,56,56" clickable="1" picture="theme%s.svg" '
                   'fixed="1">\n        <state name="hover" border="#ffb300" border-width="3" radius="10"/>\n'
                   '      </item>\n' % (key, x, y, key))
    out.append('    </item>\n')
    out.append('  </element>\n')
    tracks = {"hue": 'picture="hue.svg" stretch="1"',
              "sat": 'fill="#cfd8dc" fill2="#cfd8dc"',
              "bri": 'fill="#37474f"',
              "tran": 'fill="#e1f5fe"'}
    fills = {"sat": SKY, "bri": "#fff59d", "tran": SKY_LIGHT}
    for n, (name, track) in enumerate(tracks.items()):
        out.append('  <element name="slider.%s" rect="34,%d,98,20">\n' % (name, SLIDER_TOP + n * SLIDER_STEP))
        out.append('    <item name="item.track" rect="9,0,-9,8" radius="4" %s/>\n' % track)
        if name in fills:
            out.append('    <item name="item.fill" rect="9,0,-9,8" radius="4" fill="%s"/>\n' % fills[name])
        out.append('    <item name="item.thumb" rect="0,0,18,18" fill="#ffffff" border="%s" border-width="3" '
                   'radius="9" shadow="#90a4ae">\n' % SKY)
        out.append('      <state name="hover" border="%s"/>\n      <state name="focus" border="#ffb300"/>\n'
                   '      <state name="pressed" fill="#fff59d"/>\n'
                   '    </item>\n  </element>\n' % SKY_DARK)
    out.append('</skin>\n')
    return "".join(out)


def write(folder, files):
    path = os.path.join(HERE, folder)
    if os.path.isdir(path):
        shutil.rmtree(path)
    os.makedirs(path)
    for name, text in files.items():
        with open(os.path.join(path, name), "w", encoding="utf-8") as f:
            f.write(text)


def main():
    textures = {"texture%s.svg" % k: texture(k) for k in ("11", "22", "33", "44", "55", "66", "77", "88")}
    zorbel = {"skin.xml": zorbel_xml(), "logo.svg": LOGO}
    zorbel.update({k: svg(v) for k, v in CAPTION_GLYPHS.items()})
    zorbel.update(TOOLS)
    zorbel.update(textures)
    write("Zorbel", zorbel)

    plim = {"skin.xml": plim_xml()}
    plim.update(TREE)
    plim.update(PLAYER)
    write("ZorbelPlim", plim)

    panel = {"skin.xml": changeskin_xml(), "hue.svg": HUE_TRACK,
             "none.svg": svg('<circle cx="48" cy="48" r="22" fill="none" stroke="#ffffff" stroke-width="7"/>'
                             '<path d="M33 63 L63 33" stroke="#ffffff" stroke-width="7" stroke-linecap="round"/>', 96)}
    panel.update(textures)
    themes = (("#29b6f6", "#ffeb3b"), ("#ec407a", "#fff59d"), ("#66bb6a", "#ffcc80"), ("#ab47bc", "#80deea"))
    for n, key in enumerate(("11", "22", "33", "44")):
        panel["theme%s.svg" % key] = theme_preview(*themes[n])
    write("changeskin", panel)


if __name__ == "__main__":
    main()
