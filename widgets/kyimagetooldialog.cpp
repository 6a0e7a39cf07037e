#include "widgets/kyimagetooldialog.h"

#include "ui_kyimagetooldialog.h"

KyImageToolDialog::KyImageToolDialog(QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::CustomizeWindowHint)
    , ui(std::make_unique<Ui::KyImageToolDialog>())
{
    if (parent) {
        move(parent->geometry().topLeft());
        resize(parent->size());
    }
    setAttribute(Qt::WA_TranslucentBackground);
    ui->setupUi(this);

    const QString resources = QStringLiteral(":/KYParts/Resources/");
    ui->toolPalette->setBorderImage(QPixmap(resources + QStringLiteral("overlay_window.png")), 19, 19, 49, 19);
    ui->dummyButton->setBorderImage(QPixmap(resources + QStringLiteral("btn_grey_pressed.png")), 20, 20, 20, 20);
    ui->titleLabel->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

    const struct
    {
        KyButton *button;
        const char *text;
        const char *icon;
    } tools[] = {
        {ui->zoomButton, "Zoom", "icon_zoom.png"},
        {ui->intensityButton, "Intensity", "icon_intensity.png"},
        {ui->contrastButton, "Contrast", "icon_range.png"},
        {ui->displayButton, "Display", "icon_pos_neg.png"},
    };
    for (const auto &tool : tools) {
        // Icon above the text: beside a 48-pixel icon the names do not fit the 111-pixel buttons.
        tool.button->setIconLayout(KyButton::kIcon_Vertical);
        tool.button->setText(QLatin1String(tool.text));
        tool.button->setIcon(QPixmap(resources + QLatin1String(tool.icon)));
        connect(tool.button, &KyButton::clicked, this, &KyImageToolDialog::onButtonClicked);
    }
}

KyImageToolDialog::~KyImageToolDialog() = default;

void KyImageToolDialog::onButtonClicked()
{
    if (auto *button = qobject_cast<QAbstractButton *>(sender()))
        chosenTool = button->text();
    accept();
}

void KyImageToolDialog::on_backImage_clicked()
{
    reject();
}
