#pragma once

#include <cstddef>
#include <string>

// Fetches one small web document (the advertisement list) as text. Only http and https are
// followed, certificates are verified, and slow or oversized answers are given up on: a
// start-up that waits for this call must never hang on the network.
class CVelaspiderApp {
public:
    struct Options {
        long connectTimeoutMs = 3000;
        long totalTimeoutMs = 5000;
        std::size_t maxBytes = 1024 * 1024;
        long maxRedirects = 3;
    };

    // Uses the options last given to SetDefaultOptions (the values above until then).
    CVelaspiderApp();
    explicit CVelaspiderApp(const Options& options);
    virtual ~CVelaspiderApp();

    // The document's bytes, or the empty text when nothing usable came back: a bad or
    // unsupported address (file://, ftp://...), no connection, a TLS failure, a time-out, an
    // error status (400 and above), or more than maxBytes. Safe to call on any thread.
    std::string FetchPage(const std::string& url);

    // Options for objects made with the default constructor from now on (tests shorten the
    // time-outs of code that creates its own object).
    static void SetDefaultOptions(const Options& options);
    static Options DefaultOptions();

private:
    Options m_options;
};
