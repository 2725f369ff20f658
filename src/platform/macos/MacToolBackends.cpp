#include "MacToolBackends.h"

#include "CaffeinateInhibitor.h"
#include "DigProbe.h"
#include "DscacheutilFlusher.h"
#include "NetworkSetupDns.h"
#include "PurgeTool.h"

TuningBackends macToolBackends(ProcessRunner& runner, AppleScriptRunner& scripts)
{
    return {
        .sleep = std::make_shared<CaffeinateInhibitor>(runner),
        .memory = std::make_shared<PurgeTool>(runner),
        .dnsCache = std::make_shared<DscacheutilFlusher>(runner),
        .dnsProbe = std::make_shared<DigProbe>(runner),
        .dns = std::make_shared<NetworkSetupDns>(runner, scripts),
    };
}
