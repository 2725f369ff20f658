#pragma once

#include <QList>
#include <QLoggingCategory>
#include <QMutex>
#include <QString>
#include <QtGlobal>

// While alive, collects the log lines of one category (enabling all its levels); lines of other
// categories go on to the handler that was installed before.
class LogCapture {
public:
    struct Line {
        QtMsgType type;
        QString text;
        bool operator==(const Line&) const = default;
    };

    explicit LogCapture(const char* category) : m_category(category)
    {
        QLoggingCategory::setFilterRules(QStringLiteral("%1=true").arg(QLatin1String(category)));
        active() = this;
        m_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        active() = nullptr;
        QLoggingCategory::setFilterRules(QString());
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QList<Line> lines() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lines;
    }
    QStringList texts(QtMsgType type) const
    {
        QStringList found;
        for (const Line& line : lines()) {
            if (line.type == type)
                found.append(line.text);
        }
        return found;
    }

private:
    static LogCapture*& active()
    {
        static LogCapture* capture = nullptr;
        return capture;
    }
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        LogCapture* capture = active();
        if (capture && context.category && qstrcmp(context.category, capture->m_category) == 0) {
            QMutexLocker lock(&capture->m_mutex);
            capture->m_lines.append({type, text});
            return;
        }
        if (capture && capture->m_previous)
            capture->m_previous(type, context, text);
    }

    const char* m_category;
    QtMessageHandler m_previous = nullptr;
    mutable QMutex m_mutex;
    QList<Line> m_lines;
};
