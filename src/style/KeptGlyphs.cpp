#include "KeptGlyphs.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace {

void keepLines(const QTextDocument& document)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        block.layout()->setCacheEnabled(true);
}

} // namespace

void KeptGlyphs::keep(QTextDocument& document)
{
    keepLines(document);
    QObject::connect(&document, &QTextDocument::contentsChanged, &document, [&document] { keepLines(document); });
}
