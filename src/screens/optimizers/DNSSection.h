#pragma once

#include "LifeToken.h"
#include "style/GlassModifier.h"

#include <QColor>
#include <QMessageBox>
#include <QPointer>

class SystemOptimizer;
class TextButton;
class TextLabel;
class TileButton;

// The "DNS Optimization" card: one tile per provider the optimizer knows, in order of name; a tile
// asks for confirmation before the optimizer switches the active network service to that
// provider's servers, and "Reset to Default (DHCP)" hands the service back to the network's own.
// While a request runs the tiles are disabled; the reset never is: a reset asked for meanwhile runs
// once the request before it is done. Each answer ends the loading and the last one stays on the
// status line.
class DNSSection : public GlassModifier {
    Q_OBJECT
public:
    explicit DNSSection(SystemOptimizer& optimizer, QWidget* parent = nullptr);

    static QString providerIcon(const QString& name);
    // The confirmation's title and message for a provider.
    static QString confirmTitle(const QString& provider);
    static QString confirmMessage(const QString& provider);

    bool isLoading() const { return m_isLoading; }
    const QString& statusMessage() const { return m_statusMessage; }
    QColor statusColor() const { return m_statusColor; }
    const QString& selectedProvider() const { return m_selectedProvider; }
    QMessageBox* confirmation() const { return m_confirm; }

    void selectProvider(const QString& name);
    void applyProvider();
    void resetToDHCP();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void applyDNSResult(bool success, const QString& message);
    void setLoading(bool loading);

    SystemOptimizer& m_optimizer;
    bool m_isLoading = false;
    QString m_statusMessage;
    QColor m_statusColor;
    QString m_selectedProvider;
    QList<TileButton*> m_tiles;
    TextButton* m_reset;
    TextLabel* m_status;
    QPointer<QMessageBox> m_confirm;
    LifeToken m_life;
};
