// The log window on large logs, driven as the user drives it (offscreen platform): the
// window shown on a "QSO.dat" of N rows, a sort by each key, Save QSO, Delete QSO and the
// import of an ADIF file of N LY records with the progress window.
//
//   bench_ui_log [benchmark options]     the benchmarks on 10,000 and 100,000 rows
//   bench_ui_log --write-log N FOLDER    writes a "QSO.dat" of N rows into FOLDER
//   bench_ui_log --show FOLDER           shows the window on FOLDER's "QSO.dat" once and
//                                        prints the time it took (for a memory reading
//                                        under /usr/bin/time -v)
//   bench_ui_log --memory N              the peak memory (resident set) of the window
//                                        shown on a log of N rows, and of kvadrix-tool
//                                        find-squares on the same file, each against the
//                                        file's size and against an empty log
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchData.h"
#include "app/Forms.h"
#include "app/KXWait.h"
#include "log/AdifImport.h"
#include "log/FindBexs.h"
#include "log/KXLog.h"
#include "log/SortQSOs.h"
#include "platform/FileIO.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "platform/Paths.h"
#include "support/FakeServices.h"

namespace {

// A log of `rows` QSOs as Save QSO leaves it: sorted by date and time, empty fields blank.
kx::QSOLog SortedLog(int rows) {
    kx::QSOLog log = kxbench::BigLog(rows);
    kx::SortQSOs(log, kx::SortKey::DateTime);
    return log;
}

// The log window of a program folder whose "QSO.dat" holds `rows` QSOs, with the
// progress window and answers Yes to every question.
class Window {
public:
    explicit Window(int rows, bool showNow = true) {
        kx::Language = "EN";
        kx::SettingsFile.Open(kx::FilePath("Kvadrix.ini"));
        fake_.defaultReply = QMessageBox::Yes;
        fake_.processEventsForReal = true;
        if (rows > 0) SortedLog(rows).Write();
        Form5 = &wait_;
        if (showNow) Show();
    }
    ~Window() {
        form_.reset();
        Form5 = nullptr;
        kx::SettingsFile.Open("");
        std::remove(kx::LogFilePath().c_str());
    }
    void Show() {
        form_ = std::make_unique<TForm3>();
        form_->show();
        QApplication::processEvents();  // the first paint
    }
    TForm3& Form() { return *form_; }
    kx::FakeServices& Fake() { return fake_; }

private:
    kxbench::BenchFolder folder_;
    kx::FakeServices fake_;
    kx::ScopedServices use_{fake_};
    TForm5 wait_;
    std::unique_ptr<TForm3> form_;
};

void BM_Show(benchmark::State& state) {
    Window window(static_cast<int>(state.range(0)), false);
    for (auto _ : state) {
        window.Show();
        state.PauseTiming();
        window.Form().hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Show)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// A click on a sort button over the unsorted log (putting the rows back is not timed).
void BM_Sort(benchmark::State& state) {
    Window window(0);
    TForm3& form = window.Form();
    const kx::QSOLog unsorted = kxbench::BigLog(static_cast<int>(state.range(0)));
    QRadioButton* buttons[] = {form.rbDate, form.rbCall, form.rbBand, form.rbMode, form.rbBEX};
    QRadioButton* button = buttons[state.range(1)];
    for (auto _ : state) {
        state.PauseTiming();
        form.Log() = unsorted;
        form.RefreshGrid();
        form.FitColumns();
        form.rbDate->setChecked(button != form.rbDate);
        QApplication::processEvents();
        state.ResumeTiming();
        button->click();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_Sort)
    ->ArgsProduct({{10000, 100000}, {0, 1, 2, 3, 4}})
    ->ArgNames({"rows", "key"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// Save QSO of a changed row in the middle of the log.
void BM_SaveQSO(benchmark::State& state) {
    Window window(static_cast<int>(state.range(0)));
    TForm3& form = window.Form();
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // A click on the row fills the fields (a row already current would not).
        form.SelectRow(1);
        form.SelectRow(form.Log().DataRowCount() / 2);
        form.edRem->setText(QStringLiteral("TNX %1").arg(++n));
        QApplication::processEvents();
        state.ResumeTiming();
        form.btEntry->click();
        QApplication::processEvents();
        if (!form.edCall->text().isEmpty()) state.SkipWithError("Save QSO did not save");
    }
}
BENCHMARK(BM_SaveQSO)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Delete QSO of a row in the middle of the log, Yes to the question.
void BM_DeleteQSO(benchmark::State& state) {
    Window window(static_cast<int>(state.range(0)));
    TForm3& form = window.Form();
    for (auto _ : state) {
        state.PauseTiming();
        form.SelectRow(form.Log().DataRowCount() / 2);
        QApplication::processEvents();
        state.ResumeTiming();
        form.btDelQSO->click();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_DeleteQSO)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The Import button on an ADIF file of N LY records into the empty log: the import with
// its progress window, the square finder and the save.
void BM_Import(benchmark::State& state) {
    Window window(0);
    TForm3& form = window.Form();
    const std::string adif = kx::FilePath("big.adi");
    kx::WriteFileAtomic(adif, kxbench::BigAdif(static_cast<int>(state.range(0)), 0, 1));
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::remove(kx::LogFilePath().c_str());
        form.Log() = kx::QSOLog("EN");
        form.RefreshGrid();
        window.Fake().openFileAnswers.push_back(QString::fromStdString(adif));
        QApplication::processEvents();
        state.ResumeTiming();
        form.btImport->click();
        QApplication::processEvents();
        rows = form.Log().DataRowCount();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_Import)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same import without the windows (the core's share of BM_Import).
void BM_ImportCore(benchmark::State& state) {
    kxbench::BenchFolder folder;
    const std::string adif = kx::FilePath("big.adi");
    kx::WriteFileAtomic(adif, kxbench::BigAdif(static_cast<int>(state.range(0)), 0, 1));
    for (auto _ : state) {
        kx::QSOLog log("EN");
        kx::ImportAdifFile(log, adif, kx::LogFilePath());
        kx::FindBEXs(log);
        kx::SaveBase(log, kx::SortKey::DateTime);
        benchmark::DoNotOptimize(log.RowCount());
    }
}
BENCHMARK(BM_ImportCore)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

int WriteLog(int rows, const char* folder) {
    kx::UsePortableFolder(folder);
    SortedLog(rows).Write();
    return 0;
}

int ShowOnce(const char* folder) {
    kx::UsePortableFolder(folder);
    kx::FakeServices fake;
    kx::ScopedServices use(fake);
    kx::Language = "EN";
    QElapsedTimer clock;
    clock.start();
    TForm3 form;
    form.show();
    QApplication::processEvents();
    std::printf("shown %d rows in %lld ms\n", form.Log().DataRowCount(),
                static_cast<long long>(clock.elapsed()));
    return 0;
}

// The window (this program's --show) and then kvadrix-tool find-squares, each run on its
// own in a folder of the portable layout.
int MemoryReading(int rows) {
    namespace fs = std::filesystem;
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const fs::path base = fs::temp_directory_path() / "kvadrix-bench-memory";
    const fs::path full = base / "log", empty = base / "empty";
    fs::remove_all(base);
    for (const auto& dir : {full, empty}) {
        fs::create_directories(dir);
        fs::copy_file(std::string(KX_DATA_DIR) + "/BEXWWL.dat", dir / "BEXWWL.dat");
        fs::copy_file(KX_TOOL_PATH, dir / "kvadrix-tool");
    }
    // Every step runs in a program of its own: a child's peak counts what its parent
    // held when it started, so this one never holds a log.
    if (kxbench::RunProgram({self.string(), "--write-log", std::to_string(rows), full.string()})
            .peak < 0) {
        std::printf("the log could not be written\n");
        return 1;
    }
    const fs::path log = full / "QSO.dat";
    const double size = static_cast<double>(fs::file_size(log));
    std::printf("log of %d rows: %.1f MB\n", rows, size / 1e6);
    auto report = [&](const char* what, const kxbench::RunFigures& loaded,
                      const kxbench::RunFigures& bare) {
        if (loaded.peak < 0 || bare.peak < 0) {
            std::printf("%-26s failed\n", what);
            return;
        }
        std::printf(
            "%-26s peak %7.1f MB = %.2f x the file (empty log %.1f MB; the log's own "
            "%.2f x), %.2f s\n",
            what, loaded.peak / 1e6, loaded.peak / size, bare.peak / 1e6,
            (loaded.peak - bare.peak) / size, loaded.seconds);
    };
    report("window shown", kxbench::RunProgram({self.string(), "--show", full.string()}),
           kxbench::RunProgram({self.string(), "--show", empty.string()}));
    const kxbench::RunFigures tool =
        kxbench::RunProgram({(full / "kvadrix-tool").string(), "find-squares"});
    const kxbench::RunFigures bareTool =
        kxbench::RunProgram({(empty / "kvadrix-tool").string(), "find-squares"});
    report("kvadrix-tool find-squares", tool, bareTool);
    fs::remove_all(base);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && std::strcmp(argv[1], "--memory") == 0)
        return MemoryReading(std::atoi(argv[2]));
    QApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--write-log") == 0)
        return WriteLog(std::atoi(argv[2]), argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "--show") == 0) return ShowOnce(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
