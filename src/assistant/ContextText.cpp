#include "ContextText.h"

#include "PerceivedText.h"
#include "WellFormedText.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace {

std::optional<QString> decodeStrictly(QStringDecoder::Encoding encoding, const QByteArray& bytes, bool truncated)
{
    // A stateful decoder keeps a character cut at the end of a truncated read back instead of
    // counting it as an error.
    QStringDecoder decoder(encoding, truncated ? QStringDecoder::Flag::Default : QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    // UTF-16 decoders pass an unpaired surrogate through as it is.
    return wellFormedText(text);
}

// Text with nothing below the space character but ordinary white space, and no unassigned or
// private-use characters, which binary data read as UTF-16 soon produces.
bool looksLikeText(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\t' || u == '\n' || u == '\r' || u == '\f')
            continue;
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Other_NotAssigned
            || category == QChar::Other_PrivateUse)
            return false;
    }
    return true;
}

// UTF-16 of mostly Latin text has its zero bytes on one side of each pair: the odd side for
// little-endian, the even side for big-endian.
QStringDecoder::Encoding likelyUtf16(const QByteArray& bytes)
{
    qsizetype even = 0;
    qsizetype odd = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\0')
            ++(i % 2 == 0 ? even : odd);
    }
    return odd >= even ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE;
}

bool hasVisibleText(const std::optional<QString>& text)
{
    return text && !text->trimmed().isEmpty();
}

} // namespace

std::optional<QString> ContextText::decodeText(const QByteArray& bytes, bool truncated)
{
    if (bytes.isEmpty())
        return std::nullopt;
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff")) {
        auto text = decodeStrictly(QStringDecoder::Utf16, bytes, truncated);
        return hasVisibleText(text) && looksLikeText(*text) ? text : std::nullopt;
    }
    const bool hasNul = bytes.contains('\0');
    if (!hasNul) {
        if (auto text = decodeStrictly(QStringDecoder::Utf8, bytes, truncated))
            return text;
        auto text = std::optional(QString::fromLatin1(bytes));
        return hasVisibleText(text) ? text : std::nullopt;
    }
    if (bytes.size() % 2 != 0 && !truncated)
        return std::nullopt;
    auto text = decodeStrictly(likelyUtf16(bytes), bytes, truncated);
    return hasVisibleText(text) && looksLikeText(*text) ? text : std::nullopt;
}

QString ContextText::normalized(const QString& text)
{
    static const QRegularExpression blankLines(QStringLiteral("\n{3,}"));
    QString result = text;
    result.replace(u'\r', u'\n');
    result.replace(u'\t', QStringLiteral("    "));
    result.replace(blankLines, QStringLiteral("\n\n"));
    return result.trimmed();
}

QString ContextText::clipped(const QString& text)
{
    const QString head = PerceivedText::left(text, kClipCharacters);
    return head.size() == text.size() ? text : head + kClipMarker;
}

QString ContextText::excerpt(const QString& text)
{
    static const QRegularExpression whiteSpace(QStringLiteral("\\s+"));
    const QString collapsed = QString(text).replace(whiteSpace, QStringLiteral(" "));
    const QString head = PerceivedText::left(collapsed, kExcerptCharacters);
    return head.size() == collapsed.size() ? collapsed : head + QStringLiteral("...");
}

QString ContextText::stripHTML(const QString& html)
{
    using Option = QRegularExpression::PatternOption;
    static const QRegularExpression scripts(QStringLiteral("<script.*?</script>"),
                                            Option::CaseInsensitiveOption | Option::DotMatchesEverythingOption);
    static const QRegularExpression styles(QStringLiteral("<style.*?</style>"),
                                           Option::CaseInsensitiveOption | Option::DotMatchesEverythingOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]+>"),
                                         Option::CaseInsensitiveOption | Option::DotMatchesEverythingOption);
    QString text = html;
    text.replace(scripts, QStringLiteral(" "));
    text.replace(styles, QStringLiteral(" "));
    text.replace(tags, QStringLiteral(" "));
    for (const auto& [entity, character] : {std::pair{"&nbsp;", " "}, {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"},
                                            {"&quot;", "\""}, {"&#39;", "'"}})
        text.replace(QLatin1String(entity), QLatin1String(character));
    return text;
}

QString ContextText::readableText(const QByteArray& body, const QString& mimeType)
{
    const auto decoded = decodeText(body);
    if (!decoded)
        return {};
    return mimeType.toLower().contains(u"html") ? stripHTML(*decoded) : *decoded;
}

AIContextAttachment ContextText::attachment(AIContextKind kind, const QString& title, const QString& source,
                                            const QString& text)
{
    const QString content = clipped(text);
    return {QUuid::createUuid(), kind, title, source, excerpt(content), content};
}
