#include "PurgeTool.h"

#include "ProcessRunner.h"

MemoryPurger::Outcome PurgeTool::purge()
{
    const ProcessResult run = m_runner.run(QStringLiteral("/usr/sbin/purge"), {});
    if (!run.started())
        return {Outcome::Kind::Failed, run.errorString};
    if (!run.succeeded())
        return {Outcome::Kind::NotPermitted};
    return {Outcome::Kind::Purged};
}
