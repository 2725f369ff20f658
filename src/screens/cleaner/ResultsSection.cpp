#include "ResultsSection.h"

#include "CategoryList.h"
#include "cleanup/DiskScanner.h"

#include <QVBoxLayout>

ResultsSection::ResultsSection(DiskScanner& scanner, QWidget* parent) : QWidget(parent), m_scanner(scanner)
{
    setObjectName("resultsSection");
    m_stack = new QVBoxLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->setSpacing(16);
    refresh();
}

void ResultsSection::refresh()
{
    for (CategoryList* list : findChildren<CategoryList*>(Qt::FindDirectChildrenOnly))
        delete list;
    for (const auto& [title, items] : {std::pair{"Large Apps", m_scanner.heavyApps()},
                                       {"Large Folders", m_scanner.heavyFolders()},
                                       {"Large Media", m_scanner.heavyMedia()}}) {
        if (!items.isEmpty())
            m_stack->addWidget(new CategoryList(title, items, this));
    }
}
