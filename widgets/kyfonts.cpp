#include "widgets/kyfonts.h"

#include <iterator>

namespace {

constexpr int kFontPointSizes[] = {16, 18, 24, 36, 48, 61, 14, 12, 10};

const QString kArial = QStringLiteral("Arial");
const QString kHeaderFamily = QStringLiteral("Tolvsans Pitch");

} // namespace

int fontPointSize(int sizeIndex)
{
    if (sizeIndex < 0 || sizeIndex >= int(std::size(kFontPointSizes)))
        sizeIndex = 0;
    return kFontPointSizes[sizeIndex];
}

QFont makeFont(int sizeIndex)
{
    return QFont(kArial, fontPointSize(sizeIndex));
}

QFont makeHeaderFont()
{
    return QFont(kHeaderFamily, 18);
}

void registerFontSubstitutions()
{
    const QString liberation = QStringLiteral("Liberation Sans");
    const QString dejaVu = QStringLiteral("DejaVu Sans");
    // DejaVu Sans comes second for Arial so that glyphs Liberation Sans lacks (▲, ▼) are found in a
    // known face rather than whatever fontconfig falls back to.
    // Replaced rather than added to, so a second call leaves the same lists.
    QFont::removeSubstitutions(kArial);
    QFont::insertSubstitutions(kArial, {liberation, dejaVu});
    QFont::removeSubstitutions(kHeaderFamily);
    QFont::insertSubstitutions(kHeaderFamily, {dejaVu});
}
