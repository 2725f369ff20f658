#pragma once

#include "style/ScreenColumn.h"

#include <QPointer>
#include <memory>

class ActivityIndicator;
class DisplayModes;
class QMessageBox;
class QVBoxLayout;
class ResolutionModel;
class RestoreButton;
class TextLabel;

// The Resolution screen: the main display's current mode and the list of its modes; choosing a row
// switches the display, and "Restore Default Resolution" returns it, after a confirmation, to its
// largest mode. The modes are read again each time the screen is shown.
class ResolutionView : public ScreenColumn {
    Q_OBJECT
public:
    explicit ResolutionView(std::shared_ptr<DisplayModes> display, QWidget* parent = nullptr);

    ResolutionModel& model() const { return *m_model; }
    bool isRestoreConfirmShown() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* statusHeader();
    QWidget* modeList();
    void refresh();
    void askToRestore();

    ResolutionModel* m_model;
    QWidget* m_currentValues = nullptr;
    TextLabel* m_resolution = nullptr;
    TextLabel* m_refreshRate = nullptr;
    TextLabel* m_noDisplay = nullptr;
    TextLabel* m_status = nullptr;
    ActivityIndicator* m_spinner = nullptr;
    TextLabel* m_count = nullptr;
    TextLabel* m_noModes = nullptr;
    QWidget* m_rows = nullptr;
    QVBoxLayout* m_rowLayout = nullptr;
    RestoreButton* m_restore = nullptr;
    QPointer<QMessageBox> m_confirm;
};
