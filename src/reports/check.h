#pragma once

#include <QDialog>

class check : public QDialog
{
    Q_OBJECT

public:
    explicit check(QWidget *parent = nullptr);
};
