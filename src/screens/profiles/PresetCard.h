#pragma once

#include "tuning/GameProfile.h"

#include <QWidget>

class ContentButton;
class SymbolButton;

// One built-in profile in the preset grid: the card, which applies the profile, and the gear over
// its top-trailing corner, which opens the profile in the editor.
class PresetCard : public QWidget {
    Q_OBJECT
public:
    PresetCard(const GameProfile& profile, bool isActive, QWidget* parent = nullptr);

    const QString& profileID() const { return m_profileID; }
    ContentButton* card() const { return m_card; }
    SymbolButton* gear() const { return m_gear; }
    // "60 FPS", or "No limit" below 1.
    static QString frameLimitText(qint64 frameLimit);

signals:
    void applyRequested(const QString& profileID);
    void editRequested(const QString& profileID);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QString m_profileID;
    ContentButton* m_card;
    SymbolButton* m_gear;
};
