#include "longwork.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

#include <atomic>
#include <exception>
#include <thread>

namespace {

// How often the dialog's bar follows the work.
constexpr int dialogUpdateMs = 50;

int partsRunning = 0;

} // namespace

LongWork::LongWork(QWidget *parent, const QString &label, bool reportsShare)
    : parent(parent), label(label), reportsShare(reportsShare), progress(new effects::Progress)
{
    sinceStart.start();
}

LongWork::~LongWork()
{
    delete dialog;
}

bool LongWork::running()
{
    return partsRunning > 0;
}

bool LongWork::run(const std::function<void()> &work, double from, double to)
{
    if (cancelled)
        return false;

    QEventLoop loop;
    std::atomic<bool> finished{false};
    std::exception_ptr failure;
    ++partsRunning;
    QApplication::setOverrideCursor(dialog ? Qt::BusyCursor : Qt::WaitCursor);
    std::thread worker([&] {
        try {
            const effects::ProgressScope scope(*progress, from, to);
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        finished = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    // Until the dialog shows, input to the window waits for the work to end.
    if (!dialog) {
        const qint64 untilDialog = dialogDelayMs - sinceStart.elapsed();
        if (untilDialog > 0) {
            QTimer::singleShot(int(untilDialog), &loop, &QEventLoop::quit);
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
        if (!finished && !cancelled)
            showDialog();
    }
    QTimer updates;
    QObject::connect(&updates, &QTimer::timeout, &loop, [this] { updateDialog(); });
    updates.start(dialogUpdateMs);
    while (!finished) {
        // After a Cancel the dialog is gone: input waits for the work to wind down.
        loop.exec(cancelled || !dialog ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents);
    }
    updates.stop();
    worker.join();
    QApplication::restoreOverrideCursor();
    --partsRunning;

    if (failure)
        std::rethrow_exception(failure);
    updateDialog();
    return !cancelled;
}

void LongWork::showDialog()
{
    dialog = new QProgressDialog(label, QProgressDialog::tr("Cancel"), 0, reportsShare ? 100 : 0, parent);
    dialog->setWindowTitle("Glimmerix");
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAutoReset(false);
    dialog->setAutoClose(false);
    dialog->setMinimumDuration(0);
    QObject::connect(dialog, &QProgressDialog::canceled, dialog, [this] { cancel(); });
    updateDialog();
    dialog->show();
    shownDialog = true;
    // The window waits, but the dialog takes input.
    QApplication::changeOverrideCursor(Qt::BusyCursor);
}

void LongWork::beginStage(const QString &stageLabel)
{
    label = stageLabel;
    progress.reset(new effects::Progress);
    if (dialog) {
        dialog->setLabelText(label);
        updateDialog();
    }
}

void LongWork::updateDialog()
{
    if (dialog && !cancelled && reportsShare)
        dialog->setValue(int(progress->done() * 100));
}

void LongWork::cancel()
{
    cancelled = true;
    progress->requestStop();
}
