#pragma once

#include "LifeToken.h"
#include "style/GlassModifier.h"

#include <memory>
#include <optional>

class FileRevealer;
class PlainButton;
class QLabel;
class QMessageBox;
class SessionLogger;
class SymbolTextRow;
class TextLabel;
class SystemMonitor;

// The Dashboard's "Session Recording" card. Start begins the borrowed logger's one-per-second
// recording; Stop ends it and hands the records, the session's times and the memory figures of
// that moment to the PDF report, then says where the report went and offers to show it in the
// file manager. A card installed while the logger records shows the recording and can stop it.
class SessionCard : public GlassModifier {
    Q_OBJECT
public:
    // Without a revealer "Open in Finder" does nothing.
    SessionCard(SessionLogger& sessionLogger, SystemMonitor& monitor, std::shared_ptr<FileRevealer> revealer,
                QWidget* parent = nullptr);

    bool isLogging() const { return m_isLogging; }
    QString statusMessage() const { return m_statusMessage; }
    bool showPDFAlert() const { return m_alert != nullptr; }
    std::optional<QString> pdfURL() const { return m_pdfURL; }

    // The report's file with the folder it is in, the home folder written as "~".
    static QString savedPlace(const QString& filePath);

    void toggleRecording();
    void openInFinder();

private:
    void reportFinished(bool success, const std::optional<QString>& filePath, const QString& problem);
    void setStatusMessage(const QString& message, const QColor& color = {});
    void presentAlert();
    void refresh();

    SessionLogger& m_sessionLogger;
    SystemMonitor& m_monitor;
    std::shared_ptr<FileRevealer> m_revealer;
    bool m_isLogging;
    QString m_statusMessage;
    std::optional<QString> m_pdfURL;
    QMessageBox* m_alert = nullptr;

    PlainButton* m_button = nullptr;
    QWidget* m_recordingRow = nullptr;
    QLabel* m_idleText = nullptr;
    TextLabel* m_status = nullptr;
    LifeToken m_life;
};
