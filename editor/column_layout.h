// The column layout of the translation grid: the standard widths and ellipsis buttons, and the
// proportional fits of the column widths to the grid's width.
#pragma once

namespace parlix {

class DataGrid;

// Rounds to the nearest integer, an exact half to the even neighbour (4.5 gives 4, 5.5 gives 6).
int RoundHalfToEven(double value);

namespace column_layout {

// Width and ellipsis button of the standard columns Type, Property, StringName and the two
// languages.
struct StandardColumn {
    int width;
    bool button;
};
inline constexpr StandardColumn kStandardColumns[] = {
    {64, false}, {96, true}, {96, false}, {128, true}, {128, true}};

// The room the fit leaves beside the columns, for the record indicator and the grid lines.
inline constexpr double kFitMargin = 20;

// Gives the grid's columns their standard widths and ellipsis buttons and shows the first three.
// A width is always set before its column is made visible.
void Reset(DataGrid& grid);

// Scales every column by the grid's client width divided by the sum of the widths as the grid
// reports them (-1 for a hidden column) plus `margin`. Hidden columns keep their widths: a
// column is always given its width again before it is shown. Does nothing when the sum or the
// client width is not positive (a grid that has no room yet would lose its proportions).
void Fit(DataGrid& grid, double margin);

}  // namespace column_layout
}  // namespace parlix
