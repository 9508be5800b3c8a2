// The status line under the patch strip: the ports in use, what came of the last request, and
// the progress of a bank on its way.
#pragma once

#include "midi/CablePacing.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QString>
#include <QTimer>

class QLabel;
class QProgressBar;

class DStatusLine : public QFrame {
    Q_OBJECT

public:
    static constexpr int kHeight = 24;
    static constexpr int kProgressDelayMs = amplix::kProgressDelayMs;

    DStatusLine(QWidget* parent, int top, int width);

    void showConnection(const QString& text);
    void showOutcome(const QString& text);

    // A transfer of total bytes begins: the outcome says what, and once it has lasted a moment
    // a bar counts the bytes the cable has carried. Once that is all of them and the transfer
    // still goes on, the bar says it is waiting instead of counting on.
    void beginTransfer(const QString& what, int total);
    void endTransfer();

    QLabel* StaticConnection = nullptr;
    QLabel* StaticOutcome = nullptr;
    QProgressBar* TransferProgress = nullptr;

private:
    void showProgress();

    QString outcome_; // whole, as it was given
    QTimer tick_;
    QElapsedTimer elapsed_;
    int total_ = 0;
};
