#include "catalog/WindowDownloadUi.h"

#include "catalog/DownloadState.h"

#include <wx/app.h>
#include <wx/gauge.h>
#include <wx/textctrl.h>
#include <wx/window.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <mutex>

namespace {

// How often a waiting worker looks at AppExiting, which nobody signals.
constexpr std::chrono::milliseconds kExitPoll{20};
// Positions during a transfer reach the bar at most this often; more would only load the
// event loop with redraws nobody can see.
constexpr std::chrono::milliseconds kProgressInterval{20};

// Sets the status edit's text; every setting notifies, as the window's handlers expect.
std::function<void(wxWindow*)> StatusAction(const std::string& text) {
    return [text](wxWindow* owner) {
        if (auto* edit =
                wxDynamicCast(owner->FindWindow(CWindowDownloadUi::kStatusEditId), wxTextCtrl))
            edit->SetValue(wxString::FromUTF8(text));
    };
}

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

struct CWindowDownloadUi::Link {
    wxWindow* owner = nullptr;  // dereferenced on the user-interface thread while !gone
    ProgressDelivery delivery = ProgressDelivery::Coalesced;
    std::atomic<bool> gone{false};
    std::atomic<bool> closed{false};
    std::mutex lock;
    std::condition_variable changed;

    // Coalesced progress: the latest values, and whether a closure to apply them is queued.
    std::atomic<std::uint64_t> pos{0};
    std::atomic<int> shown{-1};
    std::atomic<bool> progressQueued{false};
    std::atomic<std::int64_t> lastProgressNs{0};
    // wxGauge takes an int range: lengths beyond INT_MAX are shifted down by this many bits.
    // User-interface thread only.
    unsigned shift = 0;

    bool Usable() const { return !gone.load() && !closed.load(); }

    void Wake() {
        std::lock_guard<std::mutex> guard(lock);
        changed.notify_all();
    }

    wxGauge* Gauge() const { return wxDynamicCast(owner->FindWindow(kProgressBarId), wxGauge); }

    void ApplyPos(std::uint64_t value) {
        wxGauge* gauge = Gauge();
        if (!gauge) return;
        const std::uint64_t scaled = value >> shift;
        gauge->SetValue(static_cast<int>(std::min<std::uint64_t>(scaled, gauge->GetRange())));
    }

    void ApplyShown(bool show) {
        wxGauge* gauge = Gauge();
        if (gauge && gauge->IsShown() != show) gauge->Show(show);
    }
};

namespace {

// One synchronous call: done once the closure ran or was dropped unrun.
struct PendingCall {
    bool done = false;
};

// Owned by the queued closure only, so that its end (run or dropped) releases the worker.
template <typename LinkT>
struct CallRelease {
    CallRelease(std::shared_ptr<LinkT> l, std::shared_ptr<PendingCall> c)
        : link(std::move(l)), call(std::move(c)) {}
    CallRelease(const CallRelease&) = delete;
    CallRelease& operator=(const CallRelease&) = delete;

    std::shared_ptr<LinkT> link;
    std::shared_ptr<PendingCall> call;
    ~CallRelease() {
        std::lock_guard<std::mutex> guard(link->lock);
        call->done = true;
        link->changed.notify_all();
    }
};

}  // namespace

CWindowDownloadUi::CWindowDownloadUi(wxWindow* owner, ProgressDelivery delivery)
    : m_link(std::make_shared<Link>()) {
    m_link->owner = owner;
    m_link->delivery = delivery;
    if (!owner) {
        m_link->gone = true;
        return;
    }
    std::shared_ptr<Link> link = m_link;
    owner->Bind(wxEVT_DESTROY, [link](wxWindowDestroyEvent& event) {
        if (event.GetEventObject() == link->owner) {
            link->gone = true;
            link->Wake();
        }
        event.Skip();
    });
}

CWindowDownloadUi::~CWindowDownloadUi() = default;

void CWindowDownloadUi::Close() {
    m_link->closed = true;
    m_link->Wake();
}

bool CWindowDownloadUi::IsClosed() const {
    return m_link->closed.load();
}

bool CWindowDownloadUi::Serves(wxWindow* owner) const {
    return m_link->owner == owner && m_link->Usable();
}

void CWindowDownloadUi::Post(std::function<void(wxWindow*)> action, bool wait) {
    const std::shared_ptr<Link> link = m_link;
    if (!link->Usable() || !wxTheApp) return;
    auto call = std::make_shared<PendingCall>();
    auto release = std::make_shared<CallRelease<Link>>(link, call);
    // The closure holds the only reference, so its end, run or dropped, releases the wait.
    wxTheApp->CallAfter([release = std::move(release), action = std::move(action)]() {
        const std::shared_ptr<Link>& l = release->link;
        if (l->Usable()) action(l->owner);
    });
    if (!wait) return;
    std::unique_lock<std::mutex> lock(link->lock);
    while (!call->done && link->Usable() && AppExiting.load() == 0)
        link->changed.wait_for(lock, kExitPoll);
}

void CWindowDownloadUi::SetStatusText(const std::string& text) {
    Post(StatusAction(text), true);
}

void CWindowDownloadUi::PostStatusText(const std::string& text) {
    // The closures run in the order they were queued, so the text still comes before
    // everything the worker reports after it.
    Post(StatusAction(text), false);
}

void CWindowDownloadUi::SetProgressRange(std::uint64_t maximum) {
    unsigned shift = 0;
    while ((maximum >> shift) > static_cast<std::uint64_t>(INT_MAX)) ++shift;
    const std::shared_ptr<Link> link = m_link;
    Post(
        [link, maximum, shift](wxWindow*) {
            link->shift = shift;
            if (wxGauge* gauge = link->Gauge()) gauge->SetRange(static_cast<int>(maximum >> shift));
        },
        true);
}

void CWindowDownloadUi::SetProgressPos(std::uint64_t position) {
    const std::shared_ptr<Link> link = m_link;
    if (link->delivery == ProgressDelivery::Synchronous) {
        Post([link, position](wxWindow*) { link->ApplyPos(position); }, true);
        return;
    }
    link->pos = position;
    // A reset is posted at once: nothing may follow it to carry it.
    if (position == 0 || NowNs() - link->lastProgressNs.load() >=
                             std::chrono::nanoseconds(kProgressInterval).count())
        PostProgress();
}

void CWindowDownloadUi::ShowProgress(bool show) {
    const std::shared_ptr<Link> link = m_link;
    if (link->delivery == ProgressDelivery::Synchronous) {
        Post([link, show](wxWindow*) { link->ApplyShown(show); }, true);
        return;
    }
    if (link->shown.exchange(show ? 1 : 0) != (show ? 1 : 0)) PostProgress();
}

void CWindowDownloadUi::PostProgress() {
    const std::shared_ptr<Link> link = m_link;
    if (link->progressQueued.exchange(true)) return;
    link->lastProgressNs = NowNs();
    Post(
        [link](wxWindow*) {
            // Cleared before reading, so a value stored meanwhile queues a closure of its own.
            link->progressQueued = false;
            const int shown = link->shown.load();
            link->ApplyPos(link->pos.load());
            if (shown >= 0) link->ApplyShown(shown == 1);
        },
        false);
}
