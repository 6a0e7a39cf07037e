#pragma once

// Data roles that the program's models answer and its delegates and views read. The numbers are
// fixed because stored choices and every model, delegate and view must agree on them; they sit
// below Qt::UserRole (256 in Qt 6), in a range Qt leaves unused. Never write Qt::UserRole + n for
// these: use the names.
namespace KyItemRole {

// Summary table rows: bool, the row is picked (drawn selected whatever the view's selection).
inline constexpr int kRole_RowSelected = 33;

// Capture-folder list models.
inline constexpr int kRole_FileName = 33;     // the item's name
inline constexpr int kRole_Method = 34;       // the capture method text
inline constexpr int kRole_ItemSelected = 35; // bool, the item is picked; settable
inline constexpr int kRole_FullPath = 36;     // the item's full path (selected-items model)

} // namespace KyItemRole
