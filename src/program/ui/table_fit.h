#pragma once
// Small grids sized to be read without scrolling sideways: every column at
// least as wide as its header text and its cells, and, for grids of a few
// fixed rows, tall enough to show them all.

class QTableWidget;

namespace tramond::ui {

void fitTable(QTableWidget* table, bool allRows);

}  // namespace tramond::ui
