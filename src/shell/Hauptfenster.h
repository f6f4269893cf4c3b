#pragma once
// The main window portavo2D.

#include <QMainWindow>

struct Zustand;

class portavo2D : public QMainWindow {
    Q_OBJECT
public:
    explicit portavo2D(Zustand &z, QWidget *parent = nullptr);

private:
    Zustand &m_z;
};
