#include "web/flash/FlashUriScheme.h"

#include <unistd.h>
#include <webkit2/webkit2.h>

#include <filesystem>

#include "web/flash/FlashSchemePaths.h"

namespace zorbel {
namespace {

std::string ExecutableFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

void FinishWithError(WebKitURISchemeRequest* request, const char* text) {
    GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_NOT_FOUND, text);
    webkit_uri_scheme_request_finish_error(request, error);
    g_error_free(error);
}

void FinishWithBytes(WebKitURISchemeRequest* request, GBytes* bytes,
                     const std::string& contentType) {
    GInputStream* stream = g_memory_input_stream_new_from_bytes(bytes);
    WebKitURISchemeResponse* response =
        webkit_uri_scheme_response_new(stream, static_cast<gint64>(g_bytes_get_size(bytes)));
    webkit_uri_scheme_response_set_status(response, 200, "OK");
    webkit_uri_scheme_response_set_content_type(response, contentType.c_str());
    SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
    soup_message_headers_append(headers, "Cache-Control", "no-store");
    webkit_uri_scheme_response_set_http_headers(response, headers);  // takes the headers
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
    g_object_unref(stream);
}

void OnSchemeRequest(WebKitURISchemeRequest* request, gpointer) {
    const char* uri = webkit_uri_scheme_request_get_uri(request);
    std::string contentType, file;
    std::shared_ptr<const std::vector<uint8_t>> movie;
    if (!uri || !FlashUriScheme::Instance().Lookup(uri, contentType, movie, file)) {
        FinishWithError(request, "not found");
        return;
    }
    GBytes* bytes = nullptr;
    if (movie) {
        // The bytes stay alive through a reference held by the GBytes, however long WebKit reads.
        auto* keep = new std::shared_ptr<const std::vector<uint8_t>>(movie);
        bytes = g_bytes_new_with_free_func(
            movie->data(), movie->size(),
            [](gpointer p) { delete static_cast<std::shared_ptr<const std::vector<uint8_t>>*>(p); },
            keep);
    } else {
        gchar* contents = nullptr;
        gsize length = 0;
        if (!g_file_get_contents(file.c_str(), &contents, &length, nullptr)) {
            FinishWithError(request, "unreadable");
            return;
        }
        bytes = g_bytes_new_take(contents, length);
    }
    FinishWithBytes(request, bytes, contentType);
    g_bytes_unref(bytes);
}

}  // namespace

FlashUriScheme& FlashUriScheme::Instance() {
    static FlashUriScheme scheme;
    return scheme;
}

FlashUriScheme::FlashUriScheme() : m_strFilesFolder(ExecutableFolder() + "/ruffle") {}

void FlashUriScheme::Register() {
    if (m_bRegistered) return;
    m_bRegistered = true;
    WebKitWebContext* context = webkit_web_context_get_default();
    // The player refuses to start without a valid UI language (a C locale gives none).
    const gchar* languages[] = {"zh-CN", "en-US", nullptr};
    webkit_web_context_set_preferred_languages(context, languages);
    webkit_web_context_register_uri_scheme(context, FlashSchemePaths::kScheme, OnSchemeRequest,
                                           nullptr, nullptr);
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
    webkit_security_manager_register_uri_scheme_as_secure(security, FlashSchemePaths::kScheme);
    webkit_security_manager_register_uri_scheme_as_cors_enabled(security,
                                                                FlashSchemePaths::kScheme);
}

std::string FlashUriScheme::AddMovie(std::vector<uint8_t> bytes) {
    std::string relative =
        std::string(FlashSchemePaths::kMoviePrefix) + std::to_string(m_nNextMovie++) + ".swf";
    m_movies[relative] = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
    return FlashSchemePaths::UriFor(relative);
}

void FlashUriScheme::RemoveMovie(const std::string& uri) {
    std::string relative;
    if (FlashSchemePaths::RelativePath(uri, relative)) m_movies.erase(relative);
}

bool FlashUriScheme::Lookup(const std::string& uri, std::string& contentType,
                            std::shared_ptr<const std::vector<uint8_t>>& movie,
                            std::string& file) const {
    std::string relative;
    if (!FlashSchemePaths::RelativePath(uri, relative)) return false;
    contentType = FlashSchemePaths::ContentTypeFor(relative);
    if (relative.compare(0, std::string(FlashSchemePaths::kMoviePrefix).size(),
                         FlashSchemePaths::kMoviePrefix) == 0) {
        auto it = m_movies.find(relative);
        if (it == m_movies.end()) return false;
        movie = it->second;
        return true;
    }
    return FlashSchemePaths::ResolveFile(m_strFilesFolder, relative, file);
}

}  // namespace zorbel
