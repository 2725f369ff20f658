#include "StoredFiles.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// A file's own name, then optionally one of the two names derived from it: the copy set aside
// (".unreadable-" and the UTC time, with a counter when two fall in one millisecond) or the
// temporary file an atomic write links in before renaming it over the file (a dot and six random
// letters). Six letters that read as a word ("backup", "Backup", "BACKUP") are taken for a copy
// the user made: an interrupted write of ours rarely leaves such a name, and the user's copy is
// never removed.
QString derivedNames(const QString& base)
{
    return u'^' + base
           + QStringLiteral(R"((\.unreadable-\d{8}-\d{6}-\d{3}(-\d{1,2})?|\.(?![A-Z]?[a-z]+$|[A-Z]+$)[A-Za-z]{6})?$)");
}

QString alternatives(const QStringList& names)
{
    QStringList escaped;
    for (const QString& name : names)
        escaped.append(QRegularExpression::escape(name));
    return u'(' + escaped.join(u'|') + u')';
}

const QRegularExpression& pattern(StoredFiles::Folder folder)
{
    using namespace StoredFiles;
    static const QRegularExpression data(
        derivedNames(alternatives({profiles, overlayRecord, instanceLock, instanceSocket})) + u'|' + u'^'
        + QRegularExpression::escape(socketBindingPrefix) + QStringLiteral("[0-9a-f]+$"));
    static const QRegularExpression configuration(derivedNames(alternatives({defaults})));
    static const QRegularExpression values(derivedNames(QStringLiteral("[0-9a-f]{64}")
                                                        + QRegularExpression::escape(valueSuffix)));
    switch (folder) {
    case Folder::Data:
        return data;
    case Folder::Configuration:
        return configuration;
    case Folder::Values:
        break;
    }
    return values;
}

} // namespace

bool StoredFiles::isFileOf(Folder folder, const QString& name)
{
    return pattern(folder).match(name).hasMatch();
}

bool StoredFiles::isSubfolderOf(Folder folder, const QString& name)
{
    return folder == Folder::Data && (name == secureValues || name == aiKeys);
}
