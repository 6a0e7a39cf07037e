#include "app/kyprogressview.h"

#include "ui_kyprogressview.h"

KyProgressView::KyProgressView(QWidget *parent) : QWidget(parent), ui(new Ui::KyProgressView)
{
    ui->setupUi(this);
}

KyProgressView::~KyProgressView()
{
    delete ui;
}

void KyProgressView::SetText(const QString &text)
{
    ui->label->setText(text);
}

void KyProgressView::SetProgress(int total)
{
    ui->progressBar->setMaximum(total);
    ui->progressBar->setValue(0);
}

bool KyProgressView::IsFinished() const
{
    return ui->progressBar->value() >= ui->progressBar->maximum();
}

void KyProgressView::Step()
{
    ui->progressBar->setValue(ui->progressBar->value() + 1);
}
