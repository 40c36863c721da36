#include "editor/column_layout.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "editor/data_grid.h"

namespace parlix {

int RoundHalfToEven(double value) {
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) {
        whole += 1;
    }
    return static_cast<int>(whole);
}

namespace column_layout {

void Reset(DataGrid& grid) {
    const int count = std::min(grid.ColumnCount(), static_cast<int>(std::size(kStandardColumns)));
    for (int i = 0; i < count; ++i) {
        const StandardColumn& standard = kStandardColumns[i];
        if (i <= 2) {  // Type, Property and StringName, which translate mode hides
            grid.SetColumnWidth(i, standard.width);
            grid.SetColumnVisible(i, true);
            if (standard.button) {
                grid.SetColumnButton(i, true);
            }
        } else {
            grid.SetColumnButton(i, standard.button);
            grid.SetColumnWidth(i, standard.width);
        }
    }
}

void Fit(DataGrid& grid, double margin) {
    const int count = grid.ColumnCount();
    double sum = 0;
    for (int i = 0; i < count; ++i) {
        sum += grid.ColumnWidth(i);
    }
    sum += margin;
    const int clientWidth = grid.ClientWidth();
    if (sum <= 0 || clientWidth <= 0) {
        return;
    }
    const double factor = clientWidth / sum;
    for (int i = 0; i < count; ++i) {
        if (grid.ColumnVisible(i)) {
            grid.SetColumnWidth(i, RoundHalfToEven(grid.ColumnWidth(i) * factor));
        }
    }
}

}  // namespace column_layout
}  // namespace parlix
