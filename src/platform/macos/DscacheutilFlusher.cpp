#include "DscacheutilFlusher.h"

#include "ProcessRunner.h"

bool DscacheutilFlusher::flush()
{
    return m_runner.run(QStringLiteral("/usr/bin/dscacheutil"), {QStringLiteral("-flushcache")}).succeeded();
}
