// SPDX-License-Identifier: MIT
#include "app/device_list_adapter.h"

#include "app/device_list_texts.h"
#include "app/device_list_widget.h"

// The icons live in this static library; make sure the linker keeps them.
static void InitRowImageResources() { Q_INIT_RESOURCE(icons); }

namespace app {

namespace {

QString Latin1(const std::string& bytes) { return QString::fromLatin1(bytes.data(), qsizetype(bytes.size())); }

} // namespace

DeviceListAdapter::DeviceListAdapter()
{
    InitRowImageResources();
    rowImages_[protocol::DeviceRow::kImageExclamation] = QIcon(QStringLiteral(":/icons/exclamation.xpm"));
    rowImages_[protocol::DeviceRow::kImageLetterE] = QIcon(QStringLiteral(":/icons/letter_e.xpm"));
}

void DeviceListAdapter::Clear() { list_->clear(); }

void DeviceListAdapter::ShowRows(const std::vector<protocol::DeviceRow>& rows)
{
    for (const protocol::DeviceRow& row : rows)
        AddRow(row);
    list_->viewport()->repaint();
}

void DeviceListAdapter::AddRow(const protocol::DeviceRow& row)
{
    auto* item = new QTreeWidgetItem(list_, {Latin1(row.Address), Latin1(row.Mask), Latin1(row.Mac)});
    if (row.Image >= 0 && row.Image < int(rowImages_.size()))
        item->setIcon(0, rowImages_[row.Image]);
    QStringList marks = RowMarks(row);
    // A MAC the column cuts short is read out whole, and shown whole in the tooltip.
    const int macColumn = 2;
    const bool macCut =
        list_->fontMetrics().horizontalAdvance(item->text(macColumn)) > list_->columnWidth(macColumn) - 12;
    if (macCut)
        marks.prepend(QStringLiteral("MAC %1").arg(item->text(macColumn)));
    if (!marks.isEmpty()) {
        // Read out as "192.168.1.5, znacznik E": the address, then the marks.
        item->setData(0, Qt::AccessibleTextRole, (QStringList{item->text(0)} + marks).join(QStringLiteral(", ")));
        item->setData(0, Qt::AccessibleDescriptionRole, RowReasons(row).join(QLatin1Char(' ')));
    }
    const QString toolTip = RowToolTip(row, macCut);
    for (int column = 0; column < item->columnCount() && !toolTip.isEmpty(); ++column)
        item->setToolTip(column, toolTip);
}

void DeviceListAdapter::ShowProgress(const protocol::Progress& progress)
{
    list_->SetPlaceholderText(ProgressText(progress));
}

void DeviceListAdapter::ShowNote(const QString& text) { list_->SetPlaceholderText(text); }

void DeviceListAdapter::ExplainEmptyList(const std::vector<protocol::SearchedInterface>& searched)
{
    list_->SetPlaceholderText(EmptyListText(searched));
}

} // namespace app
