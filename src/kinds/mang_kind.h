#pragma once

#include <QDialog>

class mang_kind : public QDialog
{
    Q_OBJECT

public:
    explicit mang_kind(QWidget *parent = nullptr);
};
