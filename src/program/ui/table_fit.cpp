#include "program/ui/table_fit.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <algorithm>

namespace tramond::ui {

void fitTable(QTableWidget* table, bool allRows) {
    auto* top = table->horizontalHeader();
    const int pad = 2 * table->style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
    int width = 2 * table->frameWidth() + (table->verticalHeader()->isVisible() ? table->verticalHeader()->width() : 0);
    for (int c = 0; c < table->columnCount(); ++c) {
        int need = table->columnWidth(c);
        if (top->isVisible())
            if (auto* h = table->horizontalHeaderItem(c))
                need = std::max(need, top->fontMetrics().horizontalAdvance(h->text()) + pad);
        need = std::max(need, static_cast<QAbstractItemView*>(table)->sizeHintForColumn(c));
        table->setColumnWidth(c, need);
        width += need;
    }
    const int bar = table->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (allRows) {
        int height = 2 * table->frameWidth() + (top->isVisible() ? top->sizeHint().height() : 0);
        for (int r = 0; r < table->rowCount(); ++r) height += table->rowHeight(r);
        table->setMinimumHeight(height);
        table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        table->setMinimumWidth(width);
    } else {
        table->setMinimumWidth(width + bar);
    }
}

}  // namespace tramond::ui
