#include "tool/qt/ToolListen.h"

#include <QCoreApplication>
#include <QTimer>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#include "live/LiveSession.h"
#include "log/LogSession.h"
#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "platform/Globals.h"
#include "platform/Messages.h"

namespace kx {

namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnSignal(int) {
    interrupted = 1;
}

std::string Out(std::string_view cp1257) {
    return Cp1257ToUtf8(cp1257);
}

long Number(std::string_view text, long max, std::string_view option) {
    long value = -1;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0 || value > max)
        throw KxError(CpMessage(Msg::ToolListenUsage) + " (" + std::string(option) + ")");
    return value;
}

std::string TimeOfDay(int ms) {
    if (ms < 0) return "--:--:--";
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", ms / 3'600'000, ms / 60'000 % 60,
                  ms / 1000 % 60);
    return buf;
}

std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& s : items) (out += out.empty() ? "" : ",") += s;
    return out.empty() ? "-" : out;
}

}  // namespace

int ToolListen(const std::vector<std::string_view>& args) {
    std::string address = live::kDefaultAddress;
    long port = live::kDefaultPort, seconds = -1;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view a = args[i], value;
        const auto eq = a.find('=');
        std::string_view name = a.substr(0, eq);
        if (eq != std::string_view::npos)
            value = a.substr(eq + 1);
        else if (i + 1 < args.size())
            value = args[++i];
        else
            throw KxError(CpMessage(Msg::ToolListenUsage));
        if (name == "--address")
            address = std::string(value);
        else if (name == "--port")
            port = Number(value, 65535, name);
        else if (name == "--seconds")
            seconds = Number(value, 1'000'000'000, name);
        else
            throw KxError(CpMessage(Msg::ToolListenUsage));
    }

    static int argc = 1;
    static char name[] = "kvadrix-tool";
    static char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    LogSession session;
    session.Load(Language);
    live::LiveSession live(session);
    std::string error;
    if (!live.Start(address, static_cast<std::uint16_t>(port), &error))
        throw KxError(CpMessage(Msg::LiveCannotListen,
                                {address, std::to_string(port), Utf8ToCp1257(error).value_or("")}));
    std::cout << "listening on " << address << " port " << live.Listener().Port() << std::endl;

    bool heard = false;
    std::string said;
    auto sender = [&] {
        const live::SenderState& s = live.Sender();
        std::string line;
        if (live.Heard())
            line = "heard " + s.id + (s.version.empty() ? "" : " " + s.version) + ": " +
                   (s.band.empty() ? "-" : s.band) + " " + (s.mode.empty() ? "-" : s.mode) +
                   ", DE " + (s.deCall.empty() ? "-" : s.deCall) + " " +
                   (s.deGrid.empty() ? "-" : s.deGrid);
        else
            line = "not heard";
        heard = live.Heard();
        if (line != said) std::cout << line << std::endl;
        said = line;
    };
    live.onSender = sender;
    live.onHeard = [](const live::HeardStation& h) {
        std::cout << TimeOfDay(h.msecsOfDay) << '\t' << h.snr << '\t' << h.call << '\t'
                  << (h.grid.empty() ? "-" : h.grid) << '\t' << Joined(h.verdict.squares) << '\t'
                  << Out(live::VerdictText(h.verdict.verdict)) << '\t' << h.message << std::endl;
    };
    live.onWritten = [&](const live::LiveLog::Written& w) {
        const QSOLog& log = session.Log();
        for (int r = w.firstRow; r > 0 && r <= log.DataRowCount(); ++r)
            std::cout << "QSO\t" << Out(log.Field(r, colDate)) << '\t' << Out(log.Field(r, colSUTC))
                      << '\t' << Out(log.Field(r, colCallsign)) << '\t'
                      << Out(log.Field(r, colBand)) << '\t' << Out(log.Field(r, colMode)) << '\t'
                      << Out(log.Field(r, colBEX)) << std::endl;
    };
    live.onWriteError = [](const std::string& e) { std::cerr << Out(e) << std::endl; };

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    QTimer watch;
    watch.setInterval(250);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (interrupted) app.quit();
        if (heard && !live.Heard()) sender();  // the heartbeats stopped
    });
    watch.start();
    if (seconds >= 0)
        QTimer::singleShot(std::chrono::seconds(seconds), &app, &QCoreApplication::quit);
    app.exec();
    live.Stop();
    const auto& c = live.Listener().Counts();
    std::cout << c.datagrams << " datagrams, " << c.refused << " refused" << std::endl;
    return live.Waiting() == 0 ? 0 : 2;
}

}  // namespace kx
