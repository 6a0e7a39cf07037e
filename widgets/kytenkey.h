#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class KyButton;
class QGridLayout;

// The on-screen numeric keypad: twelve keys in four rows of three. A key press is reported as a
// text, the digit or a command word ("Left", "Right" for type 0; "Del", "C" for the others); the
// owner interprets it.
class KyTenKey : public QWidget
{
    Q_OBJECT

public:
    static const QString kKeyLabelsArrows[12];
    static const QString kKeyLabelsEdit[12];

    explicit KyTenKey(QWidget *parent = nullptr);

    int type() const { return keyType; }
    // The keys in row-major order (index = row * 3 + column).
    QList<KyButton *> keys() const { return keyButtons; }

    // Type 0 has arrow keys beside the 0, any other type the edit keys.
    void setType(int type);

signals:
    void input(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;

private slots:
    void onClicked();

private:
    const QString *labels() const { return keyType == 0 ? kKeyLabelsArrows : kKeyLabelsEdit; }

    QList<KyButton *> keyButtons;
    int keyType = 0;
    QGridLayout *grid = nullptr;
};
