#pragma once

#include <QWidget>

class DiskScanner;
class QVBoxLayout;

// The plain result lists: large applications, folders and media, each only when it has items.
class ResultsSection : public QWidget {
    Q_OBJECT
public:
    explicit ResultsSection(DiskScanner& scanner, QWidget* parent = nullptr);
    void refresh();

private:
    DiskScanner& m_scanner;
    QVBoxLayout* m_stack;
};
