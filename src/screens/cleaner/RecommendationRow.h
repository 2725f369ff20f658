#pragma once

#include "cleanup/FileItem.h"
#include "style/RoundedPanel.h"

class SymbolButton;

// One recommendation in the item review: selection button, name, reasons, safety level, size and
// a button that shows the file in the file manager.
class RecommendationRow : public RoundedPanel {
    Q_OBJECT
public:
    RecommendationRow(const FileItem& item, const QString& home, bool isSelected, QWidget* parent = nullptr);
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }

signals:
    void toggled();
    void revealRequested();

private:
    SymbolButton* m_mark;
    bool m_selected = false;
};
