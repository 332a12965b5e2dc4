#ifndef GLIMMERIX_TESTS_RECORDINGTRANSLATOR_H
#define GLIMMERIX_TESTS_RECORDINGTRANSLATOR_H

// A translator that turns every text into "context|source|disambiguation", so that a test
// can see which context, source text and disambiguation a form asked to translate.

#include <QString>
#include <QTranslator>

class RecordingTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }

    QString translate(const char *context, const char *sourceText,
                      const char *disambiguation = nullptr, int n = -1) const override
    {
        Q_UNUSED(n);
        return QString::fromUtf8(context) + QLatin1Char('|') + QString::fromUtf8(sourceText)
            + QLatin1Char('|')
            + (disambiguation ? QString::fromUtf8(disambiguation) : QStringLiteral("(none)"));
    }
};

#endif // GLIMMERIX_TESTS_RECORDINGTRANSLATOR_H
