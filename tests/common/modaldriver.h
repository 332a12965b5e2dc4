#ifndef GLIMMERIX_TESTS_MODALDRIVER_H
#define GLIMMERIX_TESTS_MODALDRIVER_H

// Answers the modal dialogs that a command opens, in the order they appear,
// the way a user would: a file dialog gets a name typed into its file-name line
// edit and is accepted (or is cancelled); a message box gets one of its buttons
// pressed. Every dialog met is recorded with its texts and with what the status
// bar showed while it was up, so the tests can check both. A progress dialog is
// no question: it is recorded apart and left to the work it shows, unless the
// test has asked for its Cancel.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QStatusBar>
#include <QString>
#include <QTimer>

#include <functional>

struct SeenDialog
{
    QString kind;            // "box", "file" or "other"
    QString title;
    QString text;
    QString informativeText;
    QString statusWhileUp;   // the status bar's message while the dialog was up
    QString proposedFile;    // a file dialog's folder and the name it proposed, as one path
    QList<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool waitCursorWhileUp = false;  // a dialog must never be shown under the wait cursor
};

class ModalDriver : public QObject
{
public:
    using Answer = std::function<void(QWidget *dialog)>;

    explicit ModalDriver(QStatusBar *statusBar = nullptr)
        : statusBar(statusBar)
    {
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, &ModalDriver::answerActiveDialog);
        poll.start();
    }

    // Queues the answer for the next dialog that appears.
    ModalDriver &then(Answer answer)
    {
        answers.append(std::move(answer));
        return *this;
    }

    ModalDriver &chooseFile(const QString &fileName)
    {
        return then([fileName](QWidget *dialog) {
            auto *fileDialog = qobject_cast<QFileDialog *>(dialog);
            if (!fileDialog) {
                dialog->close();
                return;
            }
            fileDialog->findChild<QLineEdit *>("fileNameEdit")->setText(fileName);
            static_cast<QDialog *>(fileDialog)->accept();
        });
    }

    ModalDriver &cancelFile()
    {
        return then([](QWidget *dialog) {
            if (auto *fileDialog = qobject_cast<QFileDialog *>(dialog))
                fileDialog->reject();
            else
                dialog->close();
        });
    }

    ModalDriver &press(QMessageBox::StandardButton button = QMessageBox::Ok)
    {
        return then([button](QWidget *dialog) {
            auto *box = qobject_cast<QMessageBox *>(dialog);
            QAbstractButton *pressed = box ? box->button(button) : nullptr;
            if (pressed)
                pressed->click();
            else
                dialog->close();
        });
    }

    ModalDriver &escape()
    {
        return then([](QWidget *dialog) {
            if (auto *box = qobject_cast<QMessageBox *>(dialog))
                box->reject();
            else
                dialog->close();
        });
    }

    // Presses Cancel on the next progress dialog once it shows.
    ModalDriver &cancelProgress()
    {
        cancelsQueued += 1;
        return *this;
    }

    // Dialogs that appeared after every queued answer had been used; each was
    // closed so that the test could go on.
    int unexpected = 0;
    QList<SeenDialog> seen;
    // The labels of the progress dialogs that showed, in order.
    QStringList progressLabels;

    int pendingAnswers() const { return answers.size() + cancelsQueued; }

    // The dialog met last, or an empty record when none has appeared.
    SeenDialog lastSeen() const { return seen.isEmpty() ? SeenDialog() : seen.last(); }

private:
    void answerActiveDialog()
    {
        QWidget *dialog = QApplication::activeModalWidget();
        // A dialog that was answered comes back to the top when a box it opened
        // closes (the file dialog's "replace it?"): it is not a new dialog.
        if (!dialog || answered.contains(QPointer<QWidget>(dialog)) || !dialog->isVisible())
            return;
        answered.append(dialog);
        if (auto *progress = qobject_cast<QProgressDialog *>(dialog)) {
            progressLabels.append(progress->labelText());
            if (cancelsQueued > 0) {
                --cancelsQueued;
                QTimer::singleShot(0, progress, [progress] {
                    if (auto *cancel = progress->findChild<QAbstractButton *>())
                        cancel->click();
                });
            }
            return;
        }
        seen.append(describe(dialog));
        if (answers.isEmpty()) {
            ++unexpected;
            dialog->close();
            return;
        }
        // Answer from a fresh event, not from inside the poll: an answer may open
        // a dialog of its own (the file dialog asks before it overwrites a file).
        QTimer::singleShot(0, this, [answer = answers.takeFirst(), target = QPointer<QWidget>(dialog)] {
            if (target)
                answer(target);
        });
    }

    SeenDialog describe(QWidget *dialog) const
    {
        SeenDialog record;
        record.title = dialog->windowTitle();
        record.statusWhileUp = statusBar ? statusBar->currentMessage() : QString();
        record.waitCursorWhileUp = QApplication::overrideCursor() != nullptr;
        if (auto *box = qobject_cast<QMessageBox *>(dialog)) {
            record.kind = "box";
            record.text = box->text();
            record.informativeText = box->informativeText();
            for (QAbstractButton *button : box->buttons())
                record.buttons.append(box->standardButton(button));
            if (box->defaultButton())
                record.defaultButton = box->standardButton(box->defaultButton());
        } else if (auto *fileDialog = qobject_cast<QFileDialog *>(dialog)) {
            record.kind = "file";
            const QLineEdit *name = fileDialog->findChild<QLineEdit *>("fileNameEdit");
            if (name && !name->text().isEmpty())
                record.proposedFile = fileDialog->directory().absoluteFilePath(name->text());
        } else {
            record.kind = "other";
        }
        return record;
    }

    QStatusBar *statusBar;
    QTimer poll;
    QList<Answer> answers;
    int cancelsQueued = 0;
    QList<QPointer<QWidget>> answered;
};

#endif
