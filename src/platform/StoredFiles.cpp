#include "StoredFiles.h"

#include "AtomicFile.h"

#include <algorithm>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isLowerHexDigit(QChar c)
{
    return isAsciiDigit(c) || (c >= u'a' && c <= u'f');
}

bool isAsciiAlphanumeric(QChar c)
{
    return isAsciiDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Whether `text` is `size` characters, each passing `test`.
template <typename Test>
bool isRun(QStringView text, qsizetype size, Test test)
{
    return text.size() == size && std::all_of(text.begin(), text.end(), test);
}

// ".unreadable-" and the UTC time as yyyyMMdd-HHmmss-zzz, then "-1" to "-99" when two copies were
// set aside within one millisecond: the names AtomicFile::moveAside gives.
bool isSetAsideMark(QStringView rest)
{
    static const QString mark = QStringLiteral(".unreadable-");
    constexpr qsizetype timeSize = 19;
    if (!rest.startsWith(mark) || rest.size() < mark.size() + timeSize)
        return false;
    const QStringView time = rest.sliced(mark.size(), timeSize);
    if (!isRun(time.first(8), 8, isAsciiDigit) || time[8] != u'-' || !isRun(time.sliced(9, 6), 6, isAsciiDigit)
        || time[15] != u'-' || !isRun(time.sliced(16), 3, isAsciiDigit))
        return false;
    const QStringView counter = rest.sliced(mark.size() + timeSize);
    return counter.isEmpty()
           || ((counter.size() == 2 || counter.size() == 3) && counter[0] == u'-' && counter[1] != u'0'
               && isRun(counter.sliced(1), counter.size() - 1, isAsciiDigit));
}

bool isTemporaryMark(QStringView rest)
{
    const QString& infix = AtomicFile::temporaryInfix;
    return rest.startsWith(infix) && isRun(rest.sliced(infix.size()), 6, isAsciiAlphanumeric);
}

// `base` itself, a copy of it set aside, or the temporary file of an atomic write of it.
bool isDerivedFrom(QStringView name, QStringView base)
{
    if (!name.startsWith(base))
        return false;
    const QStringView rest = name.sliced(base.size());
    return rest.isEmpty() || isSetAsideMark(rest) || isTemporaryMark(rest);
}

// The name a socket is bound under before it is renamed into place.
bool isSocketBinding(QStringView name)
{
    using StoredFiles::socketBindingPrefix;
    if (!name.startsWith(socketBindingPrefix))
        return false;
    const QStringView suffix = name.sliced(socketBindingPrefix.size());
    return !suffix.isEmpty() && isRun(suffix, suffix.size(), isLowerHexDigit);
}

bool isValueFile(QStringView name)
{
    using StoredFiles::valueSuffix;
    return name.size() == 64 + valueSuffix.size() && isRun(name.first(64), 64, isLowerHexDigit)
           && name.endsWith(valueSuffix);
}

} // namespace

bool StoredFiles::isFileOf(Folder folder, const QString& name, Kind kind)
{
    if (kind == Kind::Folder)
        return false;
    switch (folder) {
    case Folder::Data:
        if (name == instanceSocket || isSocketBinding(name))
            return kind == Kind::Socket;
        for (const QString* base : {&profiles, &overlayRecord, &instanceLock}) {
            if (isDerivedFrom(name, *base))
                return true;
        }
        return false;
    case Folder::Configuration:
        return isDerivedFrom(name, defaults);
    case Folder::Values:
        break;
    }
    const qsizetype valueSize = 64 + valueSuffix.size();
    if (name.size() < valueSize || !isValueFile(QStringView(name).first(valueSize)))
        return false;
    return name.size() == valueSize ? kind == Kind::RegularFile : isDerivedFrom(name, QStringView(name).first(valueSize));
}

bool StoredFiles::isSubfolderOf(Folder folder, const QString& name)
{
    return folder == Folder::Data && (name == secureValues || name == aiKeys);
}
