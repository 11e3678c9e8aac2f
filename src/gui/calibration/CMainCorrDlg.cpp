#include "calibration/CMainCorrDlg.h"

#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/CVeldranixDoc.h"
#include "lang/QtTextTargets.h"

namespace tarvola::gui {

namespace {

QPointer<CMainCorrDlg> g_open;

constexpr int kEditWidth = 72;
constexpr int kArrowWidth = 22;

} // namespace

CMainCorrDlg::CMainCorrDlg(CVeldranixDoc& doc, QWidget* parent) : QDialog(parent), m_doc(doc)
{
    CMainCorrEditor& editor = m_doc.mainCorr();
    editor.setChangeForAll(true);
    editor.open();
    build();
    applyTexts();
    refresh();

    m_applyTimer.setSingleShot(true);
    connect(&m_applyTimer, &QTimer::timeout, this, &CMainCorrDlg::applyTick);
    connect(&m_doc, &CVeldranixDoc::changed, this, &CMainCorrDlg::documentChanged);
    // An undone or redone correction has rewritten the editor's texts already.
    connect(&m_doc, &CVeldranixDoc::historyChanged, this, &CMainCorrDlg::refresh);
    connect(&m_doc, &CVeldranixDoc::languageChanged, this, &CMainCorrDlg::applyTexts);
    // The autocalibration writes the corrections itself: no hand on them while it runs.
    connect(&m_doc, &CVeldranixDoc::calibratingChanged, this, [this](bool running) { setEnabled(!running); });
    setEnabled(!m_doc.calibrating());
}

void CMainCorrDlg::build()
{
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_changeForAll = new QCheckBox(this);
    setTextId(m_changeForAll, corrids::ChangeForAll);
    connect(m_changeForAll, &QCheckBox::toggled, this, [this](bool on) {
        m_doc.mainCorr().setChangeForAll(on);
        refresh();
    });
    layout->addWidget(m_changeForAll);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    auto* cylinderHeading = new QLabel(this);
    setTextId(cylinderHeading, corrids::CylinderHeading);
    grid->addWidget(cylinderHeading, 0, 0, Qt::AlignCenter);
    auto* correctionHeading = new QLabel(this);
    setTextId(correctionHeading, corrids::CorrectionHeading);
    grid->addWidget(correctionHeading, 0, 1, 1, 4, Qt::AlignLeft);
    // The step of each pair of arrows, above it: numbers read the same in every language.
    for (const bool coarse : {true, false}) {
        auto* size = new QLabel(coarse ? QStringLiteral("\u00b10.10") : QStringLiteral("\u00b10.01"), this);
        QFont small = size->font();
        small.setPointSizeF(small.pointSizeF() * 0.8);
        size->setFont(small);
        grid->addWidget(size, 1, coarse ? 2 : 3, Qt::AlignCenter);
    }

    for (int i = 0; i < kCylinders; ++i) {
        Row& row = m_rows[static_cast<std::size_t>(i)];
        const int line = i + 2;
        row.number = new QLabel(QString::number(i + 1), this);
        setTextId(row.number, corrids::NumberLabels[i]);
        grid->addWidget(row.number, line, 0, Qt::AlignCenter);

        row.edit = new QLineEdit(this);
        setTextId(row.edit, corrids::Edits[i]);
        row.edit->setAlignment(Qt::AlignRight);
        row.edit->setFixedWidth(kEditWidth);
        // What is typed is read at the next step and by the delayed write.
        connect(row.edit, &QLineEdit::textEdited, this,
                [this, i](const QString& text) { m_doc.mainCorr().setText(i, text.toStdString()); });
        grid->addWidget(row.edit, line, 1);

        row.coarse = makeArrows(row, i, true);
        setTextId(row.coarse, corrids::CoarseSpins[i]);
        grid->addWidget(row.coarse, line, 2);
        row.fine = makeArrows(row, i, false);
        setTextId(row.fine, corrids::FineSpins[i]);
        grid->addWidget(row.fine, line, 3);

        row.unit = new QLabel(QStringLiteral("[ms]"), this);
        grid->addWidget(row.unit, line, 4);
    }
    layout->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* close = new QPushButton(this);
    setTextId(close, ids::Cancel);
    // Enter in an edit box must not close the dialog.
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(close);
    layout->addLayout(buttons);
}

QWidget* CMainCorrDlg::makeArrows(Row& row, int cylinder, bool coarse)
{
    // A spin control: an up arrow over a down arrow, together as tall as the edit box.
    auto* box = new QWidget(this);
    auto* stack = new QVBoxLayout(box);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    const int height = row.edit->sizeHint().height() / 2;
    for (const bool up : {true, false}) {
        auto* arrow = new QToolButton(box);
        arrow->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
        arrow->setFixedSize(kArrowWidth, height);
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
        connect(arrow, &QToolButton::clicked, this, [this, cylinder, coarse, up] { step(cylinder, coarse, up); });
        stack->addWidget(arrow);
        row.arrows[coarse ? 1 : 0][up ? 1 : 0] = arrow;
    }
    return box;
}

void CMainCorrDlg::step(int cylinder, bool coarse, bool up)
{
    CMainCorrEditor& editor = m_doc.mainCorr();
    const bool changed = up ? editor.stepUp(cylinder, coarse) : editor.stepDown(cylinder, coarse);
    if (!changed)
        return;
    refresh();
    // One write for a burst: the editor's timer restarts with every step, ours follows it.
    if (const auto left = editor.applyTimer().remaining())
        m_applyTimer.start(static_cast<int>(left->count()) + 1);
}

void CMainCorrDlg::applyTick()
{
    CMainCorrEditor& editor = m_doc.mainCorr();
    if (editor.tick())
        refresh();
    else if (const auto left = editor.applyTimer().remaining())
        m_applyTimer.start(static_cast<int>(left->count()) + 1);
}

void CMainCorrDlg::done(int result)
{
    m_applyTimer.stop();
    if (m_doc.mainCorr().applyTimer().running())
        m_doc.mainCorr().apply();
    QDialog::done(result);
}

void CMainCorrDlg::applyTexts()
{
    CWidgetTextTarget target(this);
    try {
        apply(target);
    } catch (const IError&) {
        // A table without a text leaves the dialog's labels as they were.
    }
}

void CMainCorrDlg::documentChanged(const DeviceChange& change)
{
    CMainCorrEditor& editor = m_doc.mainCorr();
    // A new picture of the controller brings its own corrections; a block read or written otherwise
    // (the autocalibration, our own write) is shown unless a burst of steps still waits to go out.
    if (change.has(DeviceChange::Replaced) || change.has(DeviceChange::Connection) ||
        (change.hasBlock(SettingsBlock::MainCorr) && !editor.applyTimer().running()))
        editor.open();
    // The injector count comes with the identity, the arrows work only while connected.
    refresh();
}

void CMainCorrDlg::refresh()
{
    const CMainCorrEditor& editor = m_doc.mainCorr();
    {
        const QSignalBlocker block(m_changeForAll);
        m_changeForAll->setChecked(editor.changeForAll());
    }
    for (int i = 0; i < kCylinders; ++i) {
        Row& row = m_rows[static_cast<std::size_t>(i)];
        const QString text = qs(editor.text(i));
        // Rewriting an unchanged text would move the cursor of someone typing in it.
        if (row.edit->text() != text)
            row.edit->setText(text);
        const bool visible = editor.cylinderVisible(i);
        for (QWidget* w : {static_cast<QWidget*>(row.number), static_cast<QWidget*>(row.edit), row.coarse, row.fine,
                           static_cast<QWidget*>(row.unit)})
            w->setVisible(visible);
        const bool enabled = editor.spinEnabled(i);
        row.coarse->setEnabled(enabled);
        row.fine->setEnabled(enabled);
    }
}

void CMainCorrDlg::openOnce(CVeldranixDoc& doc, QWidget* parent)
{
    if (g_open) {
        g_open->show();
        g_open->QWidget::raise();
        g_open->activateWindow();
        return;
    }
    auto* dlg = new CMainCorrDlg(doc, parent);
    connect(dlg, &QDialog::finished, dlg, &QObject::deleteLater);
    g_open = dlg;
    dlg->show();
}

CMainCorrDlg* CMainCorrDlg::openDialog()
{
    return g_open.data();
}

QLineEdit* CMainCorrDlg::edit(int cylinder) const
{
    return cylinder >= 0 && cylinder < kCylinders ? m_rows[static_cast<std::size_t>(cylinder)].edit : nullptr;
}

QLabel* CMainCorrDlg::numberLabel(int cylinder) const
{
    return cylinder >= 0 && cylinder < kCylinders ? m_rows[static_cast<std::size_t>(cylinder)].number : nullptr;
}

QAbstractButton* CMainCorrDlg::arrow(int cylinder, bool coarse, bool up) const
{
    if (cylinder < 0 || cylinder >= kCylinders)
        return nullptr;
    return m_rows[static_cast<std::size_t>(cylinder)].arrows[coarse ? 1 : 0][up ? 1 : 0];
}

} // namespace tarvola::gui
