// TForm5: the progress window of the log's long operations (the ADIF import and the
// square finder). Small, always on top, without a close box; only the progress bar.
//
// How an operation drives it:
//   Form5->Start(Text(Msg::FindingSquaresTitle));  // title, show, repaint
//   for (...) { ...; Form5->SetPercent(done * 100 / total); }         // bar, repaint
//   Form5->Finish();                                                  // 100, then hide
// Showing the window does not reset the bar: until the first SetPercent it shows the
// percentage left by the previous operation.
#pragma once

#include <QWidget>

class QProgressBar;

class TForm5 : public QWidget {
    Q_OBJECT

public:
    explicit TForm5(QWidget* parent = nullptr);

    QProgressBar* ProgBar;

    // Sets the window title, shows the window without making it modal and lets pending
    // window messages run so that it is drawn.
    void Start(const QString& title);
    // Sets the bar's percentage (clamped to 0..100), then lets pending window messages
    // run so that the bar is redrawn. Setting the value it already holds redraws nothing.
    void SetPercent(int percent);
    // Sets 100, then hides the window.
    void Finish();
    int Percent() const;

    void FormShow() {}

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
