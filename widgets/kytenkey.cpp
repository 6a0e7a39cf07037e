#include "widgets/kytenkey.h"

#include "widgets/kybutton.h"

#include <QGridLayout>

#include <algorithm>

const QString KyTenKey::kKeyLabelsArrows[12] = {
    QStringLiteral("1"),    QStringLiteral("2"), QStringLiteral("3"),
    QStringLiteral("4"),    QStringLiteral("5"), QStringLiteral("6"),
    QStringLiteral("7"),    QStringLiteral("8"), QStringLiteral("9"),
    QStringLiteral("Left"), QStringLiteral("0"), QStringLiteral("Right"),
};

const QString KyTenKey::kKeyLabelsEdit[12] = {
    QStringLiteral("1"),   QStringLiteral("2"), QStringLiteral("3"),
    QStringLiteral("4"),   QStringLiteral("5"), QStringLiteral("6"),
    QStringLiteral("7"),   QStringLiteral("8"), QStringLiteral("9"),
    QStringLiteral("Del"), QStringLiteral("0"), QStringLiteral("C"),
};

KyTenKey::KyTenKey(QWidget *parent)
    : QWidget(parent)
{
    grid = new QGridLayout(this);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) {
            auto *key = new KyButton(this);
            key->setMinimumHeight(45);
            key->setMaximumHeight(45);
            key->setType(KyButton::kType_White);
            connect(key, &KyButton::clicked, this, &KyTenKey::onClicked);
            grid->addWidget(key, row, column);
            keyButtons.append(key);
        }
    }
    setType(keyType);
}

void KyTenKey::setType(int type)
{
    keyType = type;
    const QString *table = labels();
    const QString icons = QStringLiteral(":/KYParts/Resources/icon_keyboard_%1.png");
    for (int i = 0; i < keyButtons.size(); ++i) {
        KyButton *key = keyButtons.at(i);
        const QString &label = table[i];
        if (label == QLatin1String("Left") || label == QLatin1String("Right")) {
            const QString side = label == QLatin1String("Left") ? QStringLiteral("left") : QStringLiteral("right");
            key->setIcon(QPixmap(icons.arg(side)));
            key->setPressedIcon(QPixmap(icons.arg(side + QStringLiteral("_pressed"))));
            // An arrow key has no text: its label hides and the key reports the table's word.
            key->setText(QString());
        } else {
            key->setIcon(QPixmap());
            key->setPressedIcon(QPixmap());
            key->setTextAlignment(Qt::AlignHCenter);
            key->setText(label);
        }
    }
}

void KyTenKey::onClicked()
{
    auto *key = qobject_cast<KyButton *>(sender());
    if (!key)
        return;
    QString text = key->text();
    if (text.isEmpty()) {
        const int index = int(keyButtons.indexOf(key));
        if (index >= 0)
            text = labels()[index];
    }
    emit input(text);
}

void KyTenKey::resizeEvent(QResizeEvent *)
{
    const QMargins margins = grid->contentsMargins();
    const int width = std::max(0, (this->width() - margins.left() - margins.right() - 2 * grid->horizontalSpacing()) / 3);
    for (KyButton *key : std::as_const(keyButtons)) {
        key->setMinimumWidth(width);
        key->setMaximumWidth(width);
    }
}
