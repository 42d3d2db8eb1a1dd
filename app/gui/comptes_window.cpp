#include "comptes_window.h"

#include "qt_text.h"

#include <QDesktopServices>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

namespace gui {

void openFileAtLine(const std::filesystem::path& file, long line) {
    const QString path = pathToQt(file.string());
    // Desktop editors that take "+LINE FILE".
    for (const char* editor : {"gnome-text-editor", "gedit", "pluma", "xed", "geany"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(editor));
        if (!program.isEmpty() &&
            QProcess::startDetached(program, {QStringLiteral("+%1").arg(line), path}))
            return;
    }
    const QString kate = QStandardPaths::findExecutable(QStringLiteral("kate"));
    if (!kate.isEmpty() &&
        QProcess::startDetached(kate, {QStringLiteral("--line"), QString::number(line), path}))
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

AccountTableModel::AccountTableModel(std::vector<modvesk::AccountRow> rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(std::move(rows)) {
    cells_.reserve(rows_.size());
    for (const auto& row : rows_) {
        auto& cells = cells_.emplace_back();
        for (int c = 0; c < kColumns; ++c)
            cells[static_cast<size_t>(c)] = QString::fromStdString(modvesk::accountCell(row, c));
    }
}

int AccountTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int AccountTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant AccountTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const size_t r = static_cast<size_t>(index.row());
    if (role == Qt::DisplayRole && index.column() == kLineColumn)
        return QVariant::fromValue(static_cast<qlonglong>(rows_[r].line)); // sorts as a number
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return cells_[r][static_cast<size_t>(index.column())];
    return {};
}

QVariant AccountTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    if (section < 0 || section >= kColumns) return {};
    return QString::fromStdString(modvesk::accountColumns()[static_cast<size_t>(section)]);
}

namespace {

QString countsText(const std::vector<modvesk::AccountRow>& rows, bool simulated) {
    const auto counts = modvesk::countByAction(rows);
    QStringList parts;
    for (int a = 0; a < modvesk::kAccountActions; ++a)
        parts << QStringLiteral("%1 : %2")
                     .arg(QString::fromUtf8(
                         modvesk::actionName(static_cast<modvesk::AccountAction>(a))))
                     .arg(counts[static_cast<size_t>(a)]);
    QString text = parts.join(QStringLiteral(" — "));
    if (simulated) text = QStringLiteral("Simulation (rien n'a été écrit) — ") + text;
    return text;
}

} // namespace

ComptesWindow::ComptesWindow(const std::filesystem::path& folder, bool simulated, Opener open,
                             QWidget* parent)
    : QDialog(parent), folder_(folder), open_(std::move(open)) {
    setObjectName(QStringLiteral("Comptes"));
    setWindowTitle(simulated ? QStringLiteral("Comptes (simulation)") : QStringLiteral("Comptes"));
    model_ = new AccountTableModel(modvesk::readAccountRows(folder), this);
    proxy_ = new QSortFilterProxyModel(this);
    proxy_->setSourceModel(model_);
    proxy_->setFilterKeyColumn(-1);
    proxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    proxy_->setSortCaseSensitivity(Qt::CaseInsensitive);

    counts_ = new QLabel(countsText(model_->rows(), simulated));
    counts_->setObjectName(QStringLiteral("compteurs"));
    search_ = new QLineEdit;
    search_->setObjectName(QStringLiteral("recherche"));
    search_->setPlaceholderText(QStringLiteral("Rechercher (nom, login, groupe, fichier…)"));
    search_->setClearButtonEnabled(true);
    search_->setAccessibleName(QStringLiteral("Rechercher dans les comptes"));
    connect(search_, &QLineEdit::textChanged, proxy_, &QSortFilterProxyModel::setFilterFixedString);

    view_ = new QTableView;
    view_->setObjectName(QStringLiteral("tableComptes"));
    view_->setModel(proxy_);
    view_->setSortingEnabled(true);
    view_->sortByColumn(-1, Qt::AscendingOrder); // the files' order until a column is chosen
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setWordWrap(false);
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed); // no per-row measuring
    view_->verticalHeader()->hide();
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->resizeColumnsToContents(); // measures the first rows only
    connect(view_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { openRow(index.row()); });

    auto* column = new QVBoxLayout(this);
    column->addWidget(counts_);
    column->addWidget(search_);
    column->addWidget(view_, 1);
    resize(980, 560);
}

void ComptesWindow::openRow(int proxyRow) {
    const QModelIndex source = proxy_->mapToSource(proxy_->index(proxyRow, 0));
    if (!source.isValid() || !open_) return;
    const auto& row = model_->row(source.row());
    open_(folder_ / row.file, row.line);
}

} // namespace gui
