// The file browser and the selection list.

#include "mainwindow/Form1.h"

#include "controls/DirListBox.h"
#include "controls/DriveListBox.h"
#include "controls/FileListBox.h"

#include <QPushButton>

namespace tolvane {

void Form1::connectBrowser() {
    connect(Drive1, &DriveListBox::Change, this, &Form1::Drive1_Change);
    connect(Dir1, &DirListBox::Change, this, &Form1::Dir1_Change);
    connect(KewlButtons3, &QPushButton::clicked, this, &Form1::KewlButtons3_Click);
}

void Form1::Drive1_Change() { Dir1->setPath(Drive1->drive()); }

void Form1::Dir1_Change() { File1->setPath(Dir1->path()); }

void Form1::KewlButtons3_Click() { close(); }

} // namespace tolvane
