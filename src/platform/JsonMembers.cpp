#include "JsonMembers.h"

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

class Outline {
public:
    explicit Outline(QByteArrayView text) : m_text(text) {}

    void skipSpace()
    {
        while (m_at < m_text.size() && isSpace(m_text[m_at]))
            ++m_at;
    }
    bool take(char c)
    {
        skipSpace();
        if (m_at >= m_text.size() || m_text[m_at] != c)
            return false;
        ++m_at;
        return true;
    }
    bool atEnd()
    {
        skipSpace();
        return m_at == m_text.size();
    }

    // A string from its opening quote to its closing one.
    std::optional<QByteArrayView> string()
    {
        skipSpace();
        const qsizetype start = m_at;
        if (!skipString())
            return std::nullopt;
        return m_text.sliced(start, m_at - start);
    }

    // Any value: a string, a bracketed run (brackets counted, strings skipped) or a bare word.
    std::optional<QByteArrayView> value()
    {
        skipSpace();
        const qsizetype start = m_at;
        if (m_at >= m_text.size())
            return std::nullopt;
        const char first = m_text[m_at];
        if (first == '"') {
            if (!skipString())
                return std::nullopt;
        } else if (first == '{' || first == '[') {
            qsizetype depth = 0;
            do {
                const char c = m_text[m_at];
                if (c == '"') {
                    if (!skipString())
                        return std::nullopt;
                    continue;
                }
                if (c == '{' || c == '[')
                    ++depth;
                else if (c == '}' || c == ']')
                    --depth;
                ++m_at;
            } while (depth > 0 && m_at < m_text.size());
            if (depth > 0)
                return std::nullopt;
        } else {
            while (m_at < m_text.size() && !isSpace(m_text[m_at]) && m_text[m_at] != ',' && m_text[m_at] != '}')
                ++m_at;
        }
        if (m_at == start)
            return std::nullopt;
        return m_text.sliced(start, m_at - start);
    }

private:
    bool skipString()
    {
        if (m_at >= m_text.size() || m_text[m_at] != '"')
            return false;
        for (++m_at; m_at < m_text.size(); ++m_at) {
            if (m_text[m_at] == '\\') {
                ++m_at;
            } else if (m_text[m_at] == '"') {
                ++m_at;
                return true;
            }
        }
        return false;
    }

    QByteArrayView m_text;
    qsizetype m_at = 0;
};

} // namespace

QByteArray JsonMembers::Member::text() const
{
    QByteArray text;
    text.reserve(key.size() + 1 + value.size());
    return text.append(key).append(':').append(value);
}

std::optional<QList<JsonMembers::Member>> JsonMembers::split(QByteArrayView text)
{
    Outline outline(text.startsWith("\xEF\xBB\xBF") ? text.sliced(3) : text);
    if (!outline.take('{'))
        return std::nullopt;
    QList<Member> members;
    if (outline.take('}'))
        return outline.atEnd() ? std::optional(members) : std::nullopt;
    do {
        auto key = outline.string();
        if (!key || !outline.take(':'))
            return std::nullopt;
        auto value = outline.value();
        if (!value)
            return std::nullopt;
        members.append({*key, *value});
    } while (outline.take(','));
    if (!outline.take('}') || !outline.atEnd())
        return std::nullopt;
    return members;
}

QByteArray JsonMembers::without(QByteArrayView text, const QList<Member>& members, const QList<bool>& goes)
{
    const auto start = [&members](qsizetype i) { return members[i].key.data(); };
    const auto end = [&members](qsizetype i) { return members[i].value.data() + members[i].value.size(); };
    QByteArray rest;
    rest.reserve(text.size());
    const char* copied = text.data();
    for (qsizetype first = 0; first < members.size(); ++first) {
        if (!goes[first])
            continue;
        qsizetype last = first;
        while (last + 1 < members.size() && goes[last + 1])
            ++last;
        // A run of members goes with the comma after it, up to the next key, so that the space before
        // the first of them stays; a run at the end with the comma before it, so that the space before
        // the closing brace stays.
        const char* from = last + 1 < members.size() || first == 0 ? start(first) : end(first - 1);
        const char* to = last + 1 < members.size() ? start(last + 1) : end(last);
        rest.append(copied, from - copied);
        copied = to;
        first = last;
    }
    return rest.append(copied, text.data() + text.size() - copied);
}
