#include "LaunchAgent.h"

#include "ProcessRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamWriter>
#include <QtConcurrent/QtConcurrentRun>

LaunchAgent::LaunchAgent(ProcessRunner& runner, QString homeDirectory, QString applicationPath)
    : m_runner(runner), m_home(std::move(homeDirectory)), m_applicationPath(std::move(applicationPath))
{
}

QString LaunchAgent::plistPath(const QString& homeDirectory)
{
    return homeDirectory + "/Library/LaunchAgents/" + label + ".plist";
}

QByteArray LaunchAgent::plist(const QString& applicationPath)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDTD(R"(<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">)");
    xml.writeStartElement("plist");
    xml.writeAttribute("version", "1.0");
    xml.writeStartElement("dict");
    xml.writeTextElement("key", "KeepAlive");
    xml.writeEmptyElement("false");
    xml.writeTextElement("key", "Label");
    xml.writeTextElement("string", label);
    xml.writeTextElement("key", "ProgramArguments");
    xml.writeStartElement("array");
    xml.writeTextElement("string", "/usr/bin/open");
    xml.writeTextElement("string", applicationPath);
    xml.writeEndElement();
    xml.writeTextElement("key", "RunAtLoad");
    xml.writeEmptyElement("true");
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

void LaunchAgent::apply(bool enabled)
{
    (void)QtConcurrent::run(&m_queue.pool(), [this, enabled] { enabled ? install() : remove(); });
}

void LaunchAgent::install() const
{
    const QString path = plistPath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    const QByteArray bytes = plist(m_applicationPath);
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    if (!written)
        return;
    m_runner.run(launchctl, {"load", path});
}

void LaunchAgent::remove() const
{
    const QString path = plistPath();
    m_runner.run(launchctl, {"unload", path});
    QFile::remove(path);
}
