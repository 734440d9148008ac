#include "player/SwfHeader.h"

#include <gtest/gtest.h>
#include <lzma.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using zorbel::SwfCompression;
using zorbel::SwfHeader;
using zorbel::SwfStatus;
using Bytes = std::vector<uint8_t>;

void PutU16(Bytes& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void PutU32(Bytes& b, uint32_t v) {
    PutU16(b, uint16_t(v));
    PutU16(b, uint16_t(v >> 16));
}

void PutTag(Bytes& b, uint16_t code, const Bytes& body, bool longForm = false) {
    if (!longForm && body.size() < 63) {
        PutU16(b, uint16_t(code << 6 | body.size()));
    } else {
        PutU16(b, uint16_t(code << 6 | 0x3F));
        PutU32(b, uint32_t(body.size()));
    }
    b.insert(b.end(), body.begin(), body.end());
}

// RECT with `bits`-bit fields: 5 + 4 * bits bits, padded to whole bytes.
void PutRect(Bytes& b, unsigned bits, int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax) {
    Bytes out((5 + 4 * bits + 7) / 8);
    unsigned bit = 0;
    auto put = [&](uint32_t value, unsigned count) {
        for (unsigned i = count; i-- > 0; ++bit) {
            if ((value >> i) & 1u) out[bit / 8] |= uint8_t(0x80 >> (bit % 8));
        }
    };
    put(bits, 5);
    for (int32_t v : {xMin, xMax, yMin, yMax}) put(uint32_t(v), bits);
    b.insert(b.end(), out.begin(), out.end());
}

void PutRect16(Bytes& b, int16_t xMin, int16_t xMax, int16_t yMin, int16_t yMax) {
    PutRect(b, 16, xMin, xMax, yMin, yMax);
}

struct Sample {
    uint8_t version = 10;
    int16_t xMin = 0, xMax = 11000, yMin = 0, yMax = 8000;
    uint16_t rate = 0x1880;  // 24.5 fps
    uint16_t frames = 3;
    bool fileAttributes = true;
    bool as3 = false;
    bool doAction = true;
    bool endTag = true;
    size_t padding = 0;  // a long tag to give the body some size
};

// An uncompressed movie: FileAttributes, a DoAction before the first frame, frames, End.
Bytes MakeFws(const Sample& s = {}) {
    Bytes body;
    PutRect16(body, s.xMin, s.xMax, s.yMin, s.yMax);
    PutU16(body, s.rate);
    PutU16(body, s.frames);
    if (s.fileAttributes) PutTag(body, 69, {uint8_t(s.as3 ? 0x08 : 0x00), 0, 0, 0});
    PutTag(body, 9, {0x33, 0x66, 0x99});
    if (s.doAction) PutTag(body, 12, {0x07, 0x00});
    if (s.padding) {
        Bytes pad(s.padding);
        for (size_t i = 0; i < pad.size(); ++i) pad[i] = uint8_t(i * 7 + i / 13);
        PutTag(body, 777 & 0x3FF, pad, true);
    }
    for (uint16_t f = 0; f < s.frames; ++f) PutTag(body, 1, {});
    if (s.endTag) PutTag(body, 0, {});
    Bytes movie = {'F', 'W', 'S', s.version};
    PutU32(movie, uint32_t(8 + body.size()));
    movie.insert(movie.end(), body.begin(), body.end());
    return movie;
}

Bytes ToCws(const Bytes& fws) {
    uLongf size = compressBound(uLong(fws.size()));
    Bytes packed(size);
    EXPECT_EQ(compress2(packed.data(), &size, fws.data() + 8, uLong(fws.size() - 8), 9), Z_OK);
    Bytes out(fws.begin(), fws.begin() + 8);
    out[0] = 'C';
    out.insert(out.end(), packed.begin(), packed.begin() + long(size));
    return out;
}

Bytes ZwsFrom(const Bytes& fws, const uint8_t props[5], const Bytes& lzmaData) {
    Bytes out(fws.begin(), fws.begin() + 8);
    out[0] = 'Z';
    PutU32(out, uint32_t(lzmaData.size()));
    out.insert(out.end(), props, props + 5);
    out.insert(out.end(), lzmaData.begin(), lzmaData.end());
    return out;
}

Bytes RunLzma(lzma_stream& strm, const Bytes& input) {
    Bytes out(input.size() + 1024);
    strm.next_in = input.data();
    strm.avail_in = input.size();
    strm.next_out = out.data();
    strm.avail_out = out.size();
    lzma_ret rc;
    do {
        rc = lzma_code(&strm, LZMA_FINISH);
        if (strm.avail_out == 0 && rc == LZMA_OK) {
            size_t used = out.size();
            out.resize(used * 2);
            strm.next_out = out.data() + used;
            strm.avail_out = out.size() - used;
        }
    } while (rc == LZMA_OK);
    EXPECT_EQ(rc, LZMA_STREAM_END);
    out.resize(strm.total_out);
    lzma_end(&strm);
    return out;
}

// A ZWS movie the way Flash authoring tools write it: the .lzma ("alone") encoder's output
// with its 13-byte header replaced by the 5 property bytes, an end marker at the end.
Bytes ToZwsWithEndMarker(const Bytes& fws) {
    lzma_options_lzma opt;
    lzma_lzma_preset(&opt, 6);
    lzma_stream strm = LZMA_STREAM_INIT;
    EXPECT_EQ(lzma_alone_encoder(&strm, &opt), LZMA_OK);
    Bytes alone = RunLzma(strm, Bytes(fws.begin() + 8, fws.end()));
    EXPECT_GT(alone.size(), 13u);
    return ZwsFrom(fws, alone.data(), Bytes(alone.begin() + 13, alone.end()));
}

// The same without an end marker: the decoder must stop at the claimed length.
Bytes ToZwsWithoutEndMarker(const Bytes& fws) {
    lzma_options_lzma opt;
    lzma_lzma_preset(&opt, 6);
    opt.ext_flags = 0;
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1EXT, &opt}, {LZMA_VLI_UNKNOWN, nullptr}};
    lzma_stream strm = LZMA_STREAM_INIT;
    EXPECT_EQ(lzma_raw_encoder(&strm, filters), LZMA_OK);
    Bytes raw = RunLzma(strm, Bytes(fws.begin() + 8, fws.end()));
    uint8_t props[5];
    lzma_filter plain = {LZMA_FILTER_LZMA1, &opt};
    EXPECT_EQ(lzma_properties_encode(&plain, props), LZMA_OK);
    return ZwsFrom(fws, props, raw);
}

class TempFile {
public:
    explicit TempFile(const Bytes& bytes) {
        m_path =
            (std::filesystem::temp_directory_path() /
             ("swfheader-" + std::to_string(::getpid()) + "-" + std::to_string(++s_count) + ".swf"))
                .string();
        std::ofstream(m_path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    ~TempFile() { std::remove(m_path.c_str()); }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    static int s_count;
};
int TempFile::s_count = 0;

// ---------------------------------------------------------------------------------------

TEST(SwfHeaderRead, ReadsEveryFieldOfAnUncompressedHeader) {
    Sample s;
    s.xMin = -200;
    s.xMax = 10800;
    s.yMin = 40;
    s.yMax = 8040;
    s.version = 9;
    Bytes fws = MakeFws(s);
    auto r = SwfHeader::Read(fws);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(r.header.compression, SwfCompression::None);
    EXPECT_EQ(r.header.version, 9);
    EXPECT_EQ(r.header.fileLength, fws.size());
    EXPECT_EQ(r.header.stageTwips.xMin, -200);
    EXPECT_EQ(r.header.stageTwips.xMax, 10800);
    EXPECT_EQ(r.header.stageTwips.yMin, 40);
    EXPECT_EQ(r.header.stageTwips.yMax, 8040);
    EXPECT_DOUBLE_EQ(r.header.stageWidth, 550.0);
    EXPECT_DOUBLE_EQ(r.header.stageHeight, 400.0);
    EXPECT_EQ(r.header.frameRateFixed, 0x1880);
    EXPECT_DOUBLE_EQ(r.header.frameRate, 24.5);
    EXPECT_EQ(r.header.frameCount, 3);
    EXPECT_EQ(r.header.firstTagOffset, 8u + 9u + 4u);
}

TEST(SwfHeaderRead, WidestRectangleFieldsKeepTheirSign) {
    // 31 bits is the widest a field can be; its extremes are the stage of a 33-byte movie.
    const int32_t lowest = -(int32_t{1} << 30), highest = (int32_t{1} << 30) - 1;
    Bytes fws = {'F', 'W', 'S', 10, 33, 0, 0, 0};
    PutRect(fws, 31, lowest, highest, -1, 0);
    PutU16(fws, 0x0C00);
    PutU16(fws, 1);
    PutTag(fws, 1, {});
    PutTag(fws, 0, {});
    ASSERT_EQ(fws.size(), 33u);
    auto r = SwfHeader::Read(fws);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(r.header.stageTwips.xMin, lowest);
    EXPECT_EQ(r.header.stageTwips.xMax, highest);
    EXPECT_EQ(r.header.stageTwips.yMin, -1);
    EXPECT_EQ(r.header.stageTwips.yMax, 0);
    EXPECT_DOUBLE_EQ(r.header.stageWidth, (double(highest) - lowest) / 20.0);
    EXPECT_EQ(r.header.firstTagOffset, 8u + 17u + 4u);
}

TEST(SwfHeaderRead, CompressedHeadersMatchTheirUncompressedMovie) {
    Sample s;
    s.padding = 5000;
    Bytes fws = MakeFws(s);
    for (const Bytes& packed : {ToCws(fws), ToZwsWithEndMarker(fws), ToZwsWithoutEndMarker(fws)}) {
        auto r = SwfHeader::Read(packed);
        ASSERT_TRUE(r.ok()) << r.message;
        EXPECT_EQ(r.header.compression,
                  packed[0] == 'C' ? SwfCompression::Zlib : SwfCompression::Lzma);
        EXPECT_EQ(r.header.fileLength, fws.size());
        EXPECT_DOUBLE_EQ(r.header.stageWidth, 550.0);
        EXPECT_EQ(r.header.frameCount, 3);
        EXPECT_DOUBLE_EQ(r.header.frameRate, 24.5);
    }
}

TEST(SwfHeaderDecompress, CwsAndZwsGiveTheUncompressedBytes) {
    Sample s;
    s.padding = 70000;  // more than one inflate step
    Bytes fws = MakeFws(s);
    struct Case {
        const char* what;
        Bytes packed;
    } cases[] = {{"cws", ToCws(fws)},
                 {"zws with end marker", ToZwsWithEndMarker(fws)},
                 {"zws without end marker", ToZwsWithoutEndMarker(fws)},
                 {"fws", fws}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto r = SwfHeader::DecompressMovie(c.packed);
        ASSERT_TRUE(r.ok()) << r.message;
        EXPECT_EQ(r.bytes, fws);
        EXPECT_EQ(r.header.frameCount, 3);
    }
}

TEST(SwfHeaderDecompress, IgnoresBytesPastTheClaimedLength) {
    Bytes fws = MakeFws();
    Bytes longer = fws;
    longer.insert(longer.end(), {1, 2, 3, 4});
    auto r = SwfHeader::DecompressMovie(longer);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(r.bytes, fws);
}

TEST(SwfHeaderFailures, EmptyAndForeignDataAreRefused) {
    EXPECT_EQ(SwfHeader::Read(nullptr, 0).status, SwfStatus::Empty);
    EXPECT_EQ(SwfHeader::Read(Bytes{}).status, SwfStatus::Empty);
    EXPECT_EQ(SwfHeader::DecompressMovie(Bytes{}).status, SwfStatus::Empty);
    const std::string gif = "GIF89a\x01\x00\x01\x00";
    Bytes foreign(gif.begin(), gif.end());
    auto r = SwfHeader::Read(foreign);
    EXPECT_EQ(r.status, SwfStatus::BadSignature);
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(SwfHeader::Read(Bytes{'F', 'W'}).status, SwfStatus::Truncated);
    EXPECT_EQ(SwfHeader::Read(Bytes{'X'}).status, SwfStatus::BadSignature);
    EXPECT_EQ(SwfHeader::IsActionScript3(foreign).status, SwfStatus::BadSignature);
}

TEST(SwfHeaderFailures, EveryCutOfEveryKindFailsCleanly) {
    Sample s;
    s.padding = 3000;
    Bytes fws = MakeFws(s);
    for (const Bytes& whole :
         {fws, ToCws(fws), ToZwsWithEndMarker(fws), ToZwsWithoutEndMarker(fws)}) {
        SCOPED_TRACE(std::string(whole.begin(), whole.begin() + 3));
        ASSERT_TRUE(SwfHeader::DecompressMovie(whole).ok());
        for (size_t cut = 0; cut < whole.size(); cut += (cut < 64 ? 1 : 97)) {
            Bytes part(whole.begin(), whole.begin() + long(cut));
            auto m = SwfHeader::DecompressMovie(part);
            EXPECT_FALSE(m.ok()) << "cut at " << cut;
            EXPECT_TRUE(m.status == SwfStatus::Truncated || m.status == SwfStatus::Empty ||
                        m.status == SwfStatus::Damaged)
                << "cut at " << cut << ": " << zorbel::SwfStatusName(m.status);
            EXPECT_TRUE(m.bytes.empty());
            if (cut < 30) {
                EXPECT_FALSE(SwfHeader::Read(part).ok()) << "cut at " << cut;
            }
        }
    }
}

TEST(SwfHeaderFailures, DamagedStreamsAreReportedAsDamaged) {
    Sample s;
    s.padding = 2000;
    Bytes fws = MakeFws(s);

    Bytes badZlibHeader = ToCws(fws);
    badZlibHeader[8] ^= 0xFF;
    EXPECT_EQ(SwfHeader::DecompressMovie(badZlibHeader).status, SwfStatus::Damaged);
    EXPECT_EQ(SwfHeader::Read(badZlibHeader).status, SwfStatus::Damaged);

    Bytes badBlock = ToCws(fws);
    badBlock[10] = 0xFF;  // block type 3 does not exist
    EXPECT_EQ(SwfHeader::DecompressMovie(badBlock).status, SwfStatus::Damaged);

    Bytes badProps = ToZwsWithEndMarker(fws);
    badProps[12] = 0xFF;  // lc/lp/pb out of range
    EXPECT_EQ(SwfHeader::DecompressMovie(badProps).status, SwfStatus::Damaged);

    Bytes hugeDictionary = ToZwsWithEndMarker(fws);
    hugeDictionary[13] = hugeDictionary[14] = hugeDictionary[15] = hugeDictionary[16] = 0xFF;
    EXPECT_EQ(SwfHeader::DecompressMovie(hugeDictionary).status, SwfStatus::Damaged);

    Bytes garbage = ToZwsWithoutEndMarker(fws);
    for (size_t i = 17; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 131);
    auto r = SwfHeader::DecompressMovie(garbage);
    EXPECT_FALSE(r.ok());
}

TEST(SwfHeaderFailures, ImpossibleAndOversizedLengthClaimsAreRefused) {
    Bytes fws = MakeFws();
    Bytes tooShort = fws;
    tooShort[4] = 10;
    tooShort[5] = tooShort[6] = tooShort[7] = 0;
    EXPECT_EQ(SwfHeader::Read(tooShort).status, SwfStatus::BadHeader);

    Bytes huge = fws;
    huge[4] = huge[5] = huge[6] = huge[7] = 0xFF;
    EXPECT_EQ(SwfHeader::Read(huge).status, SwfStatus::TooLarge);
    EXPECT_EQ(SwfHeader::DecompressMovie(huge).status, SwfStatus::TooLarge);

    // Under the cap but far more than the stream holds: no huge buffer, just Truncated.
    Bytes claim = ToCws(fws);
    uint32_t big = 200u * 1024 * 1024;
    for (int i = 0; i < 4; ++i) claim[4 + i] = uint8_t(big >> (8 * i));
    EXPECT_EQ(SwfHeader::DecompressMovie(claim).status, SwfStatus::Truncated);

    // A caller's own cap.
    auto capped = SwfHeader::DecompressMovie(ToCws(fws), fws.size() - 1);
    EXPECT_EQ(capped.status, SwfStatus::TooLarge);
    EXPECT_TRUE(SwfHeader::DecompressMovie(ToCws(fws), fws.size()).ok());
}

TEST(SwfHeaderFailures, AClaimThatEndsInsideTheHeaderIsABadHeader) {
    Bytes fws = MakeFws();
    fws[4] = 14;  // 8 + 6 bytes: not even the RECT fits
    fws[5] = fws[6] = fws[7] = 0;
    EXPECT_EQ(SwfHeader::Read(fws).status, SwfStatus::BadHeader);
}

TEST(SwfHeaderFiles, ReadsFilesAndReportsMissingOnes) {
    Bytes cws = ToCws(MakeFws());
    TempFile file(cws);
    auto r = SwfHeader::ReadFile(file.path());
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(r.header.compression, SwfCompression::Zlib);
    auto m = SwfHeader::DecompressMovieFile(file.path());
    ASSERT_TRUE(m.ok()) << m.message;
    EXPECT_EQ(m.bytes, MakeFws());

    TempFile empty(Bytes{});
    EXPECT_EQ(SwfHeader::ReadFile(empty.path()).status, SwfStatus::Empty);
    auto missing = SwfHeader::ReadFile("/nonexistent/folder/movie.swf");
    EXPECT_EQ(SwfHeader::DecompressMovieFile("/nonexistent/folder/movie.swf").status,
              SwfStatus::FileError);
    EXPECT_EQ(missing.status, SwfStatus::FileError);
    EXPECT_NE(missing.message.find("/nonexistent/folder/movie.swf"), std::string::npos);
    EXPECT_EQ(
        SwfHeader::DecompressMovieFile(std::filesystem::temp_directory_path().string()).status,
        SwfStatus::FileError);
}

TEST(SwfHeaderTags, WalksEveryTagToTheEndTag) {
    Sample s;
    s.padding = 100;
    Bytes fws = MakeFws(s);
    auto r = SwfHeader::ListTags(fws);
    ASSERT_TRUE(r.ok()) << r.message;
    ASSERT_EQ(r.tags.size(), 8u);
    const uint16_t expected[] = {69, 9, 12, 777 & 0x3FF, 1, 1, 1, 0};
    for (size_t i = 0; i < r.tags.size(); ++i) EXPECT_EQ(r.tags[i].code, expected[i]) << i;
    EXPECT_TRUE(r.endTagSeen);
    EXPECT_EQ(r.tags[0].offset, 21u);
    EXPECT_EQ(r.tags[0].bodyOffset, 23u);
    EXPECT_EQ(r.tags[0].length, 4u);
    EXPECT_EQ(r.tags[3].length, 100u);
    EXPECT_EQ(r.tags[3].bodyOffset, r.tags[3].offset + 6);  // long form
    EXPECT_EQ(fws[r.tags[2].bodyOffset], 0x07);             // the DoAction's stop
    EXPECT_EQ(r.tags.back().offset + 2, fws.size());
}

TEST(SwfHeaderTags, VisitorCanStopEarly) {
    Bytes fws = MakeFws();
    int seen = 0;
    auto r = SwfHeader::ForEachTag(fws.data(), fws.size(), [&](const zorbel::SwfTag& tag) {
        ++seen;
        return tag.code != SwfHeader::kTagDoAction;
    });
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(seen, 3);
    EXPECT_FALSE(r.endTagSeen);
}

TEST(SwfHeaderTags, MissingEndTagIsAllowedButOverlongTagsAreNot) {
    Sample s;
    s.endTag = false;
    auto noEnd = SwfHeader::ListTags(MakeFws(s));
    ASSERT_TRUE(noEnd.ok()) << noEnd.message;
    EXPECT_FALSE(noEnd.endTagSeen);
    EXPECT_EQ(noEnd.tags.back().code, SwfHeader::kTagShowFrame);

    Bytes fws = MakeFws();
    // Give the DoAction (third tag, at 21 + 6 + 5) a length past the end.
    size_t doAction = 21 + 6 + 5;
    uint16_t header = uint16_t(12 << 6 | 0x3E);
    fws[doAction] = uint8_t(header);
    fws[doAction + 1] = uint8_t(header >> 8);
    auto r = SwfHeader::ListTags(fws);
    EXPECT_EQ(r.status, SwfStatus::Truncated);
    EXPECT_TRUE(r.tags.empty());

    // A long-form length that wraps around must not wrap the walker.
    Bytes wrap = MakeFws();
    wrap.insert(wrap.end() - 2, {0x3F, 0x03, 0xFF, 0xFF, 0xFF, 0xFF});
    uint32_t len = uint32_t(wrap.size());
    for (int i = 0; i < 4; ++i) wrap[4 + i] = uint8_t(len >> (8 * i));
    EXPECT_EQ(SwfHeader::ListTags(wrap).status, SwfStatus::Truncated);

    EXPECT_EQ(SwfHeader::ListTags(ToCws(MakeFws())).status, SwfStatus::BadSignature);
}

TEST(SwfHeaderTags, ActionScript3IsTheFileAttributesFlag) {
    Sample as3;
    as3.as3 = true;
    as3.doAction = false;
    auto yes = SwfHeader::IsActionScript3(MakeFws(as3));
    ASSERT_TRUE(yes.ok());
    EXPECT_TRUE(yes.actionScript3);
    auto compressed = SwfHeader::IsActionScript3(ToZwsWithEndMarker(MakeFws(as3)));
    ASSERT_TRUE(compressed.ok());
    EXPECT_TRUE(compressed.actionScript3);

    auto no = SwfHeader::IsActionScript3(ToCws(MakeFws()));
    ASSERT_TRUE(no.ok());
    EXPECT_FALSE(no.actionScript3);

    Sample old;
    old.fileAttributes = false;
    old.version = 6;
    auto none = SwfHeader::IsActionScript3(MakeFws(old));
    ASSERT_TRUE(none.ok());
    EXPECT_FALSE(none.actionScript3);

    Bytes cut = ToCws(MakeFws(as3));
    cut.resize(cut.size() - 12);  // more than the checksum
    EXPECT_FALSE(SwfHeader::IsActionScript3(cut).ok());
}

}  // namespace
