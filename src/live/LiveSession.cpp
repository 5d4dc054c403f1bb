#include "live/LiveSession.h"

#include <QTimer>
#include <algorithm>
#include <chrono>

#include "platform/Errors.h"

namespace kx::live {

namespace {

constexpr std::int64_t kHeardWindowMs = 30'000;
constexpr std::size_t kHeardKept = 2000;  // decodes kept at most, the oldest go first

constexpr std::int64_t kVerdictsKeptMs = 60'000;

}  // namespace

LiveSession::LiveSession(LogSession& log, QObject* parent)
    : QObject(parent), session_(log), listener_(this), log_(log), writeTimer_(new QTimer(this)) {
    writeTimer_->setSingleShot(true);
    writeTimer_->setInterval(kWriteDelayMs);
    connect(writeTimer_, &QTimer::timeout, this, &LiveSession::WriteNow);
    listener_.onMessage = [this](const WsjtxMessage& m) { Receive(m); };
}

LiveSession::~LiveSession() = default;

std::int64_t LiveSession::NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool LiveSession::Start(const std::string& address, std::uint16_t port, std::string* error) {
    return listener_.Listen(address, port, error);
}

void LiveSession::Stop() {
    listener_.Stop();
    WriteNow();
}

bool LiveSession::Heard() const {
    return sender_.lastHeardMs != 0 && !sender_.closed &&
           NowMs() - sender_.lastHeardMs <= kHeardWindowMs;
}

void LiveSession::SetHighlightNeeded(bool allowed) {
    highlightNeeded_ = allowed;
    listener_.SetHighlightAllowed(allowed);
    if (!allowed) highlighted_.clear();
}

std::vector<HeardStation> LiveSession::HeardStations(int minutes) const {
    const std::int64_t since = NowMs() - std::int64_t(minutes) * 60'000;
    std::vector<HeardStation> out;
    std::set<std::string> seen;
    for (auto it = heard_.rbegin(); it != heard_.rend(); ++it) {
        if (it->heardMs < since) break;
        if (seen.insert(it->call).second) out.push_back(*it);
    }
    return out;
}

void LiveSession::Receive(const WsjtxMessage& m) {
    const bool known = sender_.lastHeardMs != 0 && sender_.id == m.id && !sender_.closed;
    sender_.lastHeardMs = NowMs();
    sender_.id = m.id;
    sender_.closed = false;
    bool changed = !known;
    if (const auto* h = std::get_if<Heartbeat>(&m.body)) {
        changed = changed || sender_.version != h->version;
        sender_.version = h->version;
    } else if (const auto* s = std::get_if<Status>(&m.body)) {
        sender_.dialFrequency = s->dialFrequency;
        sender_.band = BandOfFrequency(s->dialFrequency);
        sender_.mode = s->mode;
        sender_.deCall = s->deCall;
        sender_.deGrid = s->deGrid;
        changed = true;
    } else if (std::holds_alternative<Close>(m.body)) {
        sender_.closed = true;
        changed = true;
    } else if (const auto* d = std::get_if<Decode>(&m.body)) {
        HeardCall call;
        if (ReadHeardCall(d->message, call) && IsLYCall(call.call)) {
            HeardStation h;
            h.call = call.call;
            h.grid = call.grid;
            h.message = d->message;
            h.mode = sender_.mode.empty() ? d->mode : sender_.mode;
            h.id = m.id;
            h.msecsOfDay = d->msecsOfDay;
            h.snr = d->snr;
            h.band = sender_.band;
            h.heardMs = sender_.lastHeardMs;
            h.verdict = Judge(h);
            if (heard_.size() >= kHeardKept) heard_.erase(heard_.begin(), heard_.begin() + 100);
            heard_.push_back(h);
            if (highlightNeeded_ && h.verdict.verdict == Verdict::Needed &&
                highlighted_.insert(h.call).second)
                listener_.Highlight(m.id, h.call, kNeededBackground, kNeededForeground);
            if (onHeard) onHeard(h);
        }
    } else if (log_.Take(m)) {
        if (!writeTimer_->isActive()) writeTimer_->start();
    }
    if (changed && onSender) onSender();
}

// The verdicts are kept while the log keeps its length, for a minute at most, so that a
// flood of decodes does not search the log for each.
HeardVerdict LiveSession::Judge(const HeardStation& h) {
    const QSOLog& log = session_.Log();
    const std::int64_t now = NowMs();
    if (log.DataRowCount() != verdictRows_ || now - verdictsSince_ > kVerdictsKeptMs) {
        verdicts_.clear();
        verdictRows_ = log.DataRowCount();
        verdictsSince_ = now;
    }
    std::string key = h.call + '\t' + h.grid + '\t' + h.band + '\t' + h.mode;
    auto it = verdicts_.find(key);
    if (it == verdicts_.end())
        it = verdicts_.emplace(std::move(key), JudgeHeard(log, h.call, h.grid, h.band, h.mode))
                 .first;
    return it->second;
}

void LiveSession::WriteNow() {
    writeTimer_->stop();
    if (session_.Changing() || (mayWrite && !mayWrite())) {
        if (log_.Waiting() > 0) writeTimer_->start();  // once that change is over
        return;
    }
    while (log_.Waiting() > 0) {
        LiveLog::Written w;
        try {
            w = log_.Write();
        } catch (const KxError& e) {
            if (onWriteError) onWriteError(e.what());
            return;
        }
        // A change of the log can make a heard station's square worked.
        if (w.taken > 0) {
            verdicts_.clear();
            const std::int64_t since = NowMs() - 10 * 60'000;
            for (auto it = heard_.rbegin(); it != heard_.rend() && it->heardMs >= since; ++it)
                it->verdict = Judge(*it);
        }
        if (w.taken > 0 && onWritten) onWritten(w);
    }
}

}  // namespace kx::live
