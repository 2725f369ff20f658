#pragma once

#include "AIChatOutcome.h"
#include "AIProvider.h"

#include <QByteArray>
#include <QNetworkReply>
#include <QString>
#include <optional>

// Reads what a provider answered: the error text of a failed reply, the error a status stands
// for, and the reply text and usage of a successful one.
namespace AIReplyReader {

// The provider's own explanation in an error body: the JSON error fields, or the whole trimmed
// text of a body that is not a JSON object (an HTML error page, say). Not shortened here.
std::optional<QString> providerErrorMessage(const QByteArray& body);
// The error a status other than 2xx stands for; nothing for 2xx.
std::optional<AIServiceError> statusError(int status, const std::optional<QString>& message);
// The reply text and usage of a 2xx body in the provider's family.
AIChatOutcome readReply(AIProvider provider, const QByteArray& body);
// The error a failed transfer stands for when it names one (a time-out, a lost connection, or a
// name that did not resolve or a host that could not be reached while the system has no network
// path); nothing for the rest, which each caller reports in its own words.
std::optional<AIServiceError> connectionError(QNetworkReply::NetworkError error, bool timedOut, bool hasNetworkPath);
// "in N | out N | total N" with the parts whose counts are present; nothing when none is.
std::optional<QString> usageSummary(std::optional<qint64> input, std::optional<qint64> output,
                                    std::optional<qint64> total);

} // namespace AIReplyReader
