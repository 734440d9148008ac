#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Dialog templates: the layout of every dialog of the program, kept as data files in
// res/templates and compiled into the program. This part only reads them and needs no
// toolkit; platform/templates/TemplateBuilder.h turns one into windows.
//
// A template file is UTF-8 text, one statement per line; a word beginning with '#' starts a
// comment to the end of the line. Words are separated by blanks; texts stand between double
// quotes, where \" and \\ stand for " and \ and \n for a line break.
//
//   dialog  178                                   template id (first statement)
//   caption "儿童游戏设置"                          optional, default empty
//   size    306 97                                client size in dialog units
//   font    "MS Shell Dlg" 8                      face and point size
//   style   popup caption sysmenu modalframe      optional; words of DialogStyle
//   exstyle appwindow                             optional
//   control 1037 edit 64 19 199 14 "" border autohscroll
//           id   kind x  y  w   h  text flags...
//
// Control ids are decimal; -1 is a control nobody refers to (a label). Every control is
// visible and enabled unless it carries the flags "hidden" or "disabled".
namespace zorbel::templates {

enum class ControlKind {
    PushButton,       // "pushbutton"
    DefPushButton,    // "defpushbutton": the button Enter presses
    AutoRadioButton,  // "autoradiobutton"; flag "group" starts a new group
    AutoCheckBox,     // "autocheckbox"
    Static,           // "static": a label, or a black rectangle with "blackrect"
    Icon,             // "icon": the text names the icon resource; 0 by 0 takes the icon's size
    Edit,             // "edit"
    TreeView,         // "treeview"
    ProgressBar,      // "progress"
    Trackbar,         // "trackbar"
    WebControl,       // "webcontrol": a browser or movie control that the owner puts in place
};

// Control flags. Values are bits of DialogControl::flags.
enum ControlFlag : std::uint32_t {
    kHidden = 1u << 0,
    kDisabled = 1u << 1,
    kGroup = 1u << 2,
    kTabStop = 1u << 3,
    kBorder = 1u << 4,
    kNotify = 1u << 5,          // a static reports clicks and double clicks
    kAlignRight = 1u << 6,      // "right"
    kAlignCenter = 1u << 7,     // "center"
    kBlackRect = 1u << 8,       // "blackrect": a static drawn as a black rectangle
    kAutoHScroll = 1u << 9,     // "autohscroll"
    kReadOnly = 1u << 10,       // "readonly"
    kNoHScroll = 1u << 11,      // "nohscroll" (tree)
    kFullRowSelect = 1u << 12,  // "fullrowselect" (tree)
    kTrackSelect = 1u << 13,    // "trackselect" (tree: hot tracking)
    kNoToolTips = 1u << 14,     // "notooltips" (tree)
    kShowSelAlways = 1u << 15,  // "showselalways" (tree)
    kHasButtons = 1u << 16,     // "hasbuttons" (tree: expand buttons)
    kHasLines = 1u << 17,       // "haslines" (tree)
    kLinesAtRoot = 1u << 18,    // "linesatroot" (tree)
    kNoTicks = 1u << 19,        // "noticks" (trackbar)
    kBothSides = 1u << 20,      // "both" (trackbar)
    kVertical = 1u << 21,       // "vertical" (trackbar, progress)
    kSmooth = 1u << 22,         // "smooth" (progress)
};

// Dialog styles. Values are bits of DialogTemplate::styles.
enum DialogStyle : std::uint32_t {
    kPopup = 1u << 0,        // "popup": a window of its own
    kChild = 1u << 1,        // "child": lives inside another window
    kVisible = 1u << 2,      // "visible"
    kCaption = 1u << 3,      // "caption": title bar
    kSysMenu = 1u << 4,      // "sysmenu": window menu and close box
    kModalFrame = 1u << 5,   // "modalframe"
    kBorderStyle = 1u << 6,  // "border": thin frame
    kAppWindow = 1u << 7,    // exstyle "appwindow": shown in the task bar
};

struct DialogControl {
    int id = -1;
    ControlKind kind = ControlKind::Static;
    std::string text;
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    std::uint32_t flags = 0;

    bool Has(std::uint32_t flag) const { return (flags & flag) != 0; }
    bool IsVisible() const { return !Has(kHidden); }
    bool IsEnabled() const { return !Has(kDisabled); }
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    int width = 0;  // client size, dialog units
    int height = 0;
    std::string font;  // face name as the template gives it
    int fontSize = 0;  // points
    std::uint32_t styles = 0;
    std::vector<DialogControl> controls;  // creation and tab order

    bool Has(std::uint32_t style) const { return (styles & style) != 0; }
    // The control with this id; null when there is none (or id is -1).
    const DialogControl* FindControl(int controlId) const;
};

struct TemplateParseResult {
    bool ok = false;
    DialogTemplate dialog;
    std::string error;  // "<source>, line N: what is wrong" when !ok
};

// Reads one template. sourceName only labels error messages.
TemplateParseResult ParseDialogTemplate(std::string_view text, std::string_view sourceName);

// The compiled-in template with this id; null when there is none. Safe from any thread.
const DialogTemplate* FindDialogTemplate(int id);
// Ids of every compiled-in template, ascending.
std::vector<int> DialogTemplateIds();
// Errors of compiled-in files that did not parse (they are left out of the lookup).
std::vector<std::string> DialogTemplateErrors();

// Names used in the files, for messages and tests.
const char* ControlKindName(ControlKind kind);

}  // namespace zorbel::templates
