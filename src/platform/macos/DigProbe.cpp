#include "DigProbe.h"

#include "ProcessRunner.h"
#include "StrictUtf8.h"

bool DigProbe::answers(const QString& server, const QString& hostName)
{
    const ProcessResult probe = m_runner.run(QStringLiteral("/usr/bin/dig"),
                                             {"+short", "+time=2", "+tries=1", u'@' + server, hostName, "A"});
    return probe.succeeded() && !strictUtf8(probe.standardOutput).value_or(QString()).trimmed().isEmpty();
}
