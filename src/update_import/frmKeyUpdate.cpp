#include "update_import/frmKeyUpdate.h"

#include "app/modMain.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

frmKeyUpdate::frmKeyUpdate(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmKeyUpdate"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Oneirion v1.0"));
    QFont font(QStringLiteral("Verdana"));
    font.setPointSizeF(8.25);
    setFont(font);

    lblInfo = named(new QLabel(QStringLiteral("Update Records")), "lblInfo");
    lblProgressbar = named(new QLabel, "lblProgressbar");
    ProgressBar1 = named(new QProgressBar, "ProgressBar1");
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ListView1 = named(new QTreeWidget, "ListView1");
    ListView1->setColumnCount(3);
    ListView1->setHeaderLabels(
        {QStringLiteral("Keyword"), QStringLiteral("Description"), QString()});
    ListView1->setColumnHidden(2, true);
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAlternatingRowColors(true);
    ListView1->setColumnWidth(0, 160);
    Frame1 = named(new QGroupBox(QStringLiteral("If Keyword Already Exists")), "Frame1");
    optOption[0] =
        named(new QRadioButton(QStringLiteral("&Overwrite existing keywords")), "optOption_0");
    optOption[1] = named(new QRadioButton(QStringLiteral("&Do not overwrite existing keywords")),
                         "optOption_1");
    optOption[2] =
        named(new QRadioButton(QStringLiteral("&Append to existing keywords")), "optOption_2");
    cmdImport = named(new QPushButton(QStringLiteral("&Import")), "cmdImport");
    cmdCancel = named(new QPushButton(QStringLiteral("&Cancel")), "cmdCancel");
    cmdImport->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);

    auto* policies = new QVBoxLayout(Frame1);
    for (auto& [index, option] : optOption)
        policies->addWidget(option);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdImport);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblInfo);
    layout->addWidget(lblProgressbar);
    layout->addWidget(ProgressBar1);
    layout->addWidget(ListView1, 1);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);
    resize(560, 460);

    connect(cmdImport, &QPushButton::clicked, this, &frmKeyUpdate::cmdImport_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmKeyUpdate::cmdCancel_Click);
    modMain::FormLoaded(this);
    Form_Load();
}

frmKeyUpdate::~frmKeyUpdate() {
    modMain::FormUnloaded(this);
}

void frmKeyUpdate::Form_Load() {}

void frmKeyUpdate::FileName(const QString& path) {
    fileName_ = path;
}

void frmKeyUpdate::reject() {
    close();
}

void frmKeyUpdate::closeEvent(QCloseEvent* event) {
    if (importing_) {
        // Closing mid-import cancels it; the window goes once the merge has been rolled back.
        cancelRequested_ = true;
        event->ignore();
        return;
    }
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
        modMain::FormUnloaded(this);
    }
    event->accept();
    // Ends a modal run; QDialog's own handler would route back through reject().
    QDialog::done(QDialog::Rejected);
}

void frmKeyUpdate::Form_Unload() {
    updateRows_.clear();
}

void frmKeyUpdate::cmdCancel_Click() {
    close();
}
