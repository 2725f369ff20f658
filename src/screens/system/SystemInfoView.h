#pragma once

#include "LifeToken.h"
#include "StorageCategory.h"
#include "SystemInfo.h"
#include "style/ScreenColumn.h"

#include <functional>

class QVBoxLayout;

// The System screen: a snapshot of the machine in up to three cards (Hardware, Storage, and
// Battery when there is one). Showing the screen gathers the facts on the user-initiated queue
// behind a spinner; they are shown all together once the whole load has finished. A load whose
// screen has gone is abandoned: its result is dropped and its folder measurement ended.
class SystemInfoView : public ScreenColumn {
    Q_OBJECT
public:
    // Runs on a worker thread; `abandoned` turns true once the screen is gone.
    using Load = std::function<SystemInfo(const std::function<bool()>& abandoned)>;

    explicit SystemInfoView(Load load, QWidget* parent = nullptr);

    bool isLoading() const { return m_isLoading; }
    const QList<StorageCategory>& storageCategories() const { return m_storageCategories; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void loadBasicInfo();
    // Every fact at once, on the main thread, as the end of a load does.
    void applyLoadedInfo(const SystemInfo& info);
    void rebuild();
    QWidget* hardwareCard();
    QWidget* batteryCard();

    Load m_load;
    bool m_isLoading = true;
    bool m_loadInFlight = false;
    SystemInfo m_info;
    QList<StorageCategory> m_storageCategories;
    QVBoxLayout* m_column = nullptr;
    LifeToken m_life;
};
