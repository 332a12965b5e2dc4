#ifndef GLIMMERIX_EFFECTHISTORY_H
#define GLIMMERIX_EFFECTHISTORY_H

// The undo history of the effects: each step keeps the document's state before
// and after one effect command, so that undo and redo give those states back
// exactly, bit for bit, without computing anything again.

#include <QImage>
#include <QUndoCommand>

#include <functional>

class QUndoStack;

// What an effect changes: the working image and the zoom and rotation totals.
struct DocumentState
{
    QImage picture;
    double koefp = 100.0;
    double koefg = 0.0;
};

class EffectStep : public QUndoCommand
{
public:
    using Restore = std::function<void(const DocumentState &)>;

    // A step already done: pushing it onto a stack changes nothing; later redos
    // give back `after`, undos give back `before`.
    EffectStep(const QString &name, DocumentState before, DocumentState after, Restore restore);

    void undo() override;
    void redo() override;

    // The memory that only the history holds for this step: the picture before
    // it (the one after it is the next step's picture before, or the document's).
    qint64 keptBytes() const;

    const DocumentState &stateBefore() const { return before; }
    const DocumentState &stateAfter() const { return after; }
    const Restore &restorer() const { return restore; }

private:
    DocumentState before;
    DocumentState after;
    Restore restore;
    bool pushed = false;
};

// The most memory the history's pictures may take together.
constexpr qint64 historyPictureLimit = qint64(512) * 1024 * 1024;

// Drops the oldest steps of a history whose pictures take more than limit bytes
// together; the newest step is always kept. The history must stand at its newest
// step (as it does right after a push). Whether a state counts as saved stays
// as it was for the steps kept; a saved state that is dropped leaves none.
void limitHistory(QUndoStack &stack, qint64 limit = historyPictureLimit);

#endif
