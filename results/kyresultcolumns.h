#pragma once

#include <QAbstractItemModel>
#include <QStringList>
#include <QVariant>

class KyDocument;

// What the band-result models share: the column titles, the rule that hides "Channel", and the
// table text the clipboard gets.
namespace KyResultColumns {

// "Channel", "Lane", "Band", "Volume", "Lane %", "Normalized value", "MW", "Rf" (translated in the
// models' context).
const QStringList &titles();

// The display title of a view column, "Channel" hidden or not; invalid past the titles.
QVariant headerTitle(int inSection, bool inChannelHidden);

// True without a document and for a document of exactly one image; view column c is then model
// column c + 1.
bool hidesChannelColumn(const KyDocument *inDocument);

// Header line of the horizontal display titles, then one line per row of display texts; cells
// separated by a tab, every line (the last too) ended by a line feed.
QString tableText(const QAbstractItemModel &inModel);

} // namespace KyResultColumns
