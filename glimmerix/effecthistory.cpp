#include "effecthistory.h"

#include <QUndoStack>

#include <utility>
#include <vector>

EffectStep::EffectStep(const QString &name, DocumentState before, DocumentState after, Restore restore)
    : QUndoCommand(name)
    , before(std::move(before))
    , after(std::move(after))
    , restore(std::move(restore))
{
}

void EffectStep::undo()
{
    restore(before);
}

void EffectStep::redo()
{
    // The stack redoes a step as it is pushed; the effect has already done it.
    if (!pushed) {
        pushed = true;
        return;
    }
    restore(after);
}

qint64 EffectStep::keptBytes() const
{
    return before.picture.sizeInBytes();
}

void limitHistory(QUndoStack &stack, qint64 limit)
{
    const int count = stack.count();
    if (count < 2 || stack.index() != count)
        return;
    qint64 total = 0;
    int kept = 0;
    for (int i = count - 1; i >= 0; --i) {
        total += static_cast<const EffectStep *>(stack.command(i))->keptBytes();
        if (kept > 0 && total > limit)
            break;
        ++kept;
    }
    const int dropped = count - kept;
    if (dropped == 0)
        return;

    // A stack cannot lose its oldest commands: it is built anew from the steps kept.
    struct KeptStep
    {
        QString name;
        DocumentState before;
        DocumentState after;
        EffectStep::Restore restore;
    };
    std::vector<KeptStep> steps;
    steps.reserve(std::size_t(kept));
    for (int i = dropped; i < count; ++i) {
        const auto *step = static_cast<const EffectStep *>(stack.command(i));
        steps.push_back({step->text(), step->stateBefore(), step->stateAfter(), step->restorer()});
    }
    const int savedIndex = stack.cleanIndex() - dropped; // below 0: dropped or none
    stack.clear();
    if (savedIndex != 0)
        stack.resetClean();
    for (std::size_t i = 0; i < steps.size(); ++i) {
        KeptStep &step = steps[i];
        stack.push(new EffectStep(step.name, std::move(step.before), std::move(step.after),
                                  std::move(step.restore)));
        if (int(i) + 1 == savedIndex)
            stack.setClean();
    }
}
