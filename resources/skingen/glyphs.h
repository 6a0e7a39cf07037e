#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

// The line icons of the program's look. Every glyph is drawn on a 24 x 24 grid scaled into the
// target square, with one stroke width, so icons of different sizes read as one family.
enum class Glyph {
    ArrowUp,
    ArrowDown,
    ArrowLeft,
    ArrowRight,
    ChevronUp,
    ChevronDown,
    ChevronLeft,
    ChevronRight,
    KeyLeft,
    KeyRight,
    Plus,
    Minus,
    Check,
    Close,
    Copy,
    Delete,
    Print,
    Save,
    FolderOpen,
    Info,
    Help,
    Zoom,
    ZoomIn,
    ZoomOut,
    RotateLeft,
    RotateRight,
    Contrast,
    Intensity,
    Display,
    PositiveNegative,
    Tools,
    Picture,
    Profile,
    Lanes,
    Background,
    Bands,
    MolecularWeight,
    Normalize,
    Summary,
    ContrastLowLeft,
    ContrastLowRight,
    ContrastHighLeft,
    ContrastHighRight,
};

// Draws the glyph centred in box (the larger side is fitted into the smaller) in colour.
void drawGlyph(QPainter &painter, Glyph glyph, const QRectF &box, const QColor &colour);

// Frame 0 is the still spinner (every dot faint); frames 1 to 8 carry a bright head that walks
// clockwise one dot per frame with a fading tail.
void drawBusyFrame(QPainter &painter, int frame, const QRectF &box, const QColor &colour);
