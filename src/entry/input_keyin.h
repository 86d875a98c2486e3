#pragma once

#include <QDialog>

class input_keyin : public QDialog
{
    Q_OBJECT

public:
    explicit input_keyin(QWidget *parent = nullptr);
};
