#include "live/LiveLog.h"

#include <algorithm>

#include "live/LiveQso.h"
#include "log/AdifImport.h"

namespace kx::live {

namespace {

// The text after the header's <EOH> (any letter case), or the whole text without one.
std::string_view Records(std::string_view adif) {
    for (std::size_t at = adif.find('<'); at != std::string_view::npos;
         at = adif.find('<', at + 1)) {
        std::string_view tag = adif.substr(at, 5);
        if (tag.size() == 5 && (tag[1] | 0x20) == 'e' && (tag[2] | 0x20) == 'o' &&
            (tag[3] | 0x20) == 'h' && tag[4] == '>')
            return adif.substr(at + 5);
    }
    return adif;
}

// The records up to and including the last <EOR>; a text without one is closed by one, so
// that it cannot run into the next message's record.
std::string Closed(std::string_view records) {
    const std::size_t end = UpperAscii(records).rfind("<EOR>");
    if (end == std::string::npos) return std::string(records) + "<EOR>";
    return std::string(records.substr(0, end + 5));
}

}  // namespace

bool LiveLog::Take(const WsjtxMessage& m) {
    if (const auto* q = std::get_if<QsoLogged>(&m.body)) {
        if (!IsLYCall(q->dxCall)) return false;
        waiting_.push_back(Closed(Records(QsoLoggedAdif(*q, m.id))));
        return true;
    }
    if (const auto* a = std::get_if<LoggedAdif>(&m.body)) {
        waiting_.push_back(Closed(Records(a->adif)));
        return true;
    }
    return false;
}

LiveLog::Written LiveLog::Write() {
    Written w;
    if (waiting_.empty()) return w;
    const std::size_t n = std::min(waiting_.size(), kBatch);
    // One text of the waiting records, as one file of them would be imported.
    std::string text = "WSJT-X/JTDX<EOH>\n";
    for (std::size_t i = 0; i < n; ++i) (text += waiting_[i]) += '\n';
    const AdifImportResult r = session_.TakeAdif(text, w.joined);
    waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<long>(n));
    w.taken = r.taken;
    w.firstRow = r.taken > 0 ? r.firstRow : 0;
    return w;
}

}  // namespace kx::live
