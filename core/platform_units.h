#pragma once
// Geometry is kept in twips (1440 to the inch) and fonts under their documented names;
// this is the one place that turns them into the platform's pixels and installed fonts.

#include <QFont>
#include <QRect>
#include <QString>

// Logical dots per inch of the primary screen (96 without a screen).
double logicalDpi();
int twipsToPixels(int twips);
int pixelsToTwips(int pixels);
// A rectangle given in twips, in pixels (no negative size).
QRect twipsRect(int left, int top, int width, int height);

// The installed font that stands in for a documented font name ("Tahoma",
// "Microsoft Sans Serif" -> a sans family; "Lucida Console" -> a monospace family,
// DejaVu Sans Mono first). Unknown names are passed to the font system as they are.
QFont platformFont(const QString &documentedName, double pointSize);
