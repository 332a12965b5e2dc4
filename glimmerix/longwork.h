#ifndef GLIMMERIX_LONGWORK_H
#define GLIMMERIX_LONGWORK_H

#include "progress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

// Work that may take long (an effect, reading or writing a picture), run in
// parts on a thread of its own while the GUI thread goes on painting. Once it
// has run for dialogDelayMs a window-modal progress dialog over the parent shows
// its label, the share done (or that it is busy, for work that cannot tell) and
// a Cancel button. Meanwhile the parent takes no command: before the dialog its
// input waits, and the dialog blocks it. The wait cursor shows while a part runs.
class LongWork
{
public:
    static constexpr int dialogDelayMs = 300;

    LongWork(QWidget *parent, const QString &label, bool reportsShare = true);
    // Closes the dialog.
    ~LongWork();
    LongWork(const LongWork &) = delete;
    LongWork &operator=(const LongWork &) = delete;

    // Runs one part, work(), on a worker thread as `from` to `to` of the whole
    // (the effects' parallel loops report into it and stop when asked) and
    // returns once it has ended: true when it ran to its end, false when Cancel
    // was pressed, during it or an earlier part (a part after a Cancel does not
    // run at all). An exception thrown by work() is thrown on here.
    bool run(const std::function<void()> &work, double from = 0, double to = 1);

    // Work of another kind follows (the same dialog, a new label): the share
    // done starts again from nothing.
    void beginStage(const QString &stageLabel);

    bool wasCancelled() const { return cancelled; }
    bool dialogShown() const { return shownDialog; }

    // Whether a part of any long work runs now.
    static bool running();

private:
    void showDialog();
    void updateDialog();
    void cancel();

    QWidget *parent;
    QString label;
    bool reportsShare;
    QElapsedTimer sinceStart;
    std::unique_ptr<effects::Progress> progress;
    QPointer<QProgressDialog> dialog;
    bool cancelled = false;
    bool shownDialog = false;
};

#endif
