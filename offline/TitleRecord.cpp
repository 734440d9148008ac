#include "offline/TitleRecord.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace zorbel::offline {

namespace {

constexpr const char* kTitleExtension = ".swf";
constexpr const char* kRecordExtension = ".info";

std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

bool ParseInt(const std::string& text, std::int64_t& value) {
    try {
        std::size_t used = 0;
        value = std::stoll(text, &used);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

}  // namespace

std::string TitleRecord::ResumeValidator() const {
    // A weak tag may stand for other bytes, so it cannot join two halves of a file.
    if (!etag.empty() && etag.compare(0, 2, "W/") != 0) return etag;
    return lastModified;
}

std::string TitleRecord::PathFor(const std::string& titlePath) {
    const std::string ext = kTitleExtension;
    const std::size_t slash = titlePath.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (titlePath.size() >= nameStart + ext.size() &&
        titlePath.compare(titlePath.size() - ext.size(), ext.size(), ext) == 0)
        return titlePath.substr(0, titlePath.size() - ext.size()) + kRecordExtension;
    return titlePath + kRecordExtension;
}

bool TitleRecord::Load(const std::string& path, TitleRecord& record) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    record = TitleRecord();
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        std::int64_t number = 0;
        if (key == "url") {
            record.url = value;
        } else if (key == "etag") {
            record.etag = value;
        } else if (key == "last-modified") {
            record.lastModified = value;
        } else if (key == "sha256") {
            record.sha256 = value;
        } else if (ParseInt(value, number)) {
            if (key == "length") record.length = number;
            if (key == "held" && number >= 0) record.held = static_cast<std::uint64_t>(number);
            if (key == "complete") record.complete = number != 0;
            if (key == "verified") record.verified = number != 0;
            if (key == "stored") record.storedAt = number;
        }
    }
    return true;
}

bool TitleRecord::Save(const std::string& path, const TitleRecord& record) {
    const std::string side = path + ".new";
    {
        std::ofstream out(side, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << "url=" << OneLine(record.url) << "\n"
            << "etag=" << OneLine(record.etag) << "\n"
            << "last-modified=" << OneLine(record.lastModified) << "\n"
            << "length=" << record.length << "\n"
            << "held=" << record.held << "\n"
            << "sha256=" << OneLine(record.sha256) << "\n"
            << "complete=" << (record.complete ? 1 : 0) << "\n"
            << "verified=" << (record.verified ? 1 : 0) << "\n"
            << "stored=" << record.storedAt << "\n";
        out.flush();
        if (!out) {
            out.close();
            std::remove(side.c_str());
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(side, path, ec);
    if (ec) std::remove(side.c_str());
    return !ec;
}

}  // namespace zorbel::offline
