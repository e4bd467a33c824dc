#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include "app/ObjectNames.h"
#include "app/components/SizeCell.h"
#include "app/components/SymbolView.h"
#include "model/Formatting.h"
#include "views/DeveloperFixture.h"
#include "views/ExplorerFixture.h"
#include "views/cleanup/DeveloperView.h"
#include "views/cleanup/VirtualDisksCard.h"

using namespace tolvex;
using namespace tolvex::test;

namespace {

QList<QWidget*> diskRows(VirtualDisksCard* card) {
  return card->findChildren<QWidget*>(QLatin1String(names::virtualDiskRow));
}

QWidget* diskRow(VirtualDisksCard* card, const std::string& path) {
  for (QWidget* row : diskRows(card))
    if (row->property("path").toString() == QString::fromStdString(path)) return row;
  return nullptr;
}

template <typename T>
T* part(QWidget* row, const char* name) {
  return row->findChild<T*>(QLatin1String(name));
}

QString buttonText(QWidget* row) { return part<QPushButton>(row, names::virtualDiskCopy)->text(); }

struct Shown {
  DeveloperView view;
  explicit Shown(AppState& state) : view(state) {
    view.resize(1100, 900);
    view.show();
    settle();
  }
  VirtualDisksCard* card() const { return view.disksCard(); }
};

}  // namespace

TEST(VirtualDisksCard, NoScanOrAScanWithoutImagesShowsNoCardAtAll) {
  DeveloperHome home;
  {
    Shown shown(*home.state);
    EXPECT_FALSE(shown.card()->isVisible());
    EXPECT_TRUE(diskRows(shown.card()).isEmpty());
  }
  home.scan();
  Shown shown(*home.state);
  EXPECT_FALSE(shown.card()->isVisible());
  EXPECT_TRUE(diskRows(shown.card()).isEmpty());
}

TEST(VirtualDisksCard, RowsShowOwnerSizeGrowthAdviceAndTheirActions) {
  DeveloperHome home(DeveloperHome::Disks::two);
  home.scan();
  Shown shown(*home.state);
  VirtualDisksCard* card = shown.card();
  ASSERT_TRUE(card->isVisible());
  EXPECT_EQ(card->findChild<SymbolLabel*>(QLatin1String(names::virtualDisksTitle))->text(),
            QStringLiteral("Containers and virtual machines"));
  EXPECT_EQ(card->findChild<SymbolLabel*>(QLatin1String(names::virtualDisksTitle))->symbol(),
            QStringLiteral("shippingbox.fill"));
  ASSERT_EQ(card->disks().size(), 2u);
  const bool dockerFirst = card->disks()[0].owner == "Docker Desktop";
  const VirtualDisk& docker = card->disks()[dockerFirst ? 0 : 1];
  const VirtualDisk& vbox = card->disks()[dockerFirst ? 1 : 0];
  EXPECT_GE(card->disks()[0].size, card->disks()[1].size);  // the larger first
  EXPECT_EQ(card->findChild<QLabel*>(QLatin1String(names::virtualDisksTotal))->text(),
            QString::fromStdString(formatBytes(docker.size + vbox.size)));

  QWidget* dockerRow = diskRow(card, docker.path);
  ASSERT_TRUE(dockerRow);
  EXPECT_EQ(part<QLabel>(dockerRow, names::virtualDiskOwner)->text(), QStringLiteral("Docker Desktop"));
  EXPECT_EQ(part<QLabel>(dockerRow, names::virtualDiskSize)->text(), QStringLiteral("500 MB"));
  // Sparse: it can grow to its logical size.
  ASSERT_TRUE(part<QLabel>(dockerRow, names::virtualDiskCapacity));
  EXPECT_EQ(part<QLabel>(dockerRow, names::virtualDiskCapacity)->text(), QStringLiteral("can grow to 64 GB"));
  EXPECT_EQ(part<QLabel>(dockerRow, names::virtualDiskAdvice)->text(), QString::fromStdString(docker.advice));
  EXPECT_EQ(part<QLabel>(dockerRow, names::virtualDiskCommand)->text(), QStringLiteral("docker system prune"));
  EXPECT_EQ(buttonText(dockerRow), QStringLiteral("Copy Command"));
  // The bar alone, filled to what the image occupies of what it may reach.
  auto* fill = dockerRow->findChild<SizeCell*>();
  ASSERT_TRUE(fill);
  EXPECT_TRUE(fill->labelsHidden());
  EXPECT_DOUBLE_EQ(fill->fraction(), static_cast<double>(docker.size) / 64e9);

  QWidget* vboxRow = diskRow(card, vbox.path);
  ASSERT_TRUE(vboxRow);
  EXPECT_EQ(part<QLabel>(vboxRow, names::virtualDiskOwner)->text(), QStringLiteral("VirtualBox"));
  // Fully allocated: no growth line; no command, so only "Show in Finder".
  EXPECT_FALSE(part<QLabel>(vboxRow, names::virtualDiskCapacity));
  EXPECT_FALSE(part<QLabel>(vboxRow, names::virtualDiskCommand));
  EXPECT_FALSE(part<QPushButton>(vboxRow, names::virtualDiskCopy));
  auto* reveal = part<QPushButton>(vboxRow, names::virtualDiskReveal);
  ASSERT_TRUE(reveal);
  EXPECT_EQ(reveal->text(), QStringLiteral("Show in Finder"));
  FakeServices services;
  reveal->click();
  EXPECT_EQ(services.revealed, (std::vector<std::string>{vbox.path}));

  // Two rows take their natural height: nothing to scroll.
  EXPECT_EQ(card->list()->verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(card->list()->height(), card->list()->widget()->height());
  EXPECT_EQ(card->list()->height(), dockerRow->height() + vboxRow->height() + 10);
}

TEST(VirtualDisksCard, ThreeImagesScrollWithinTheCap) {
  DeveloperHome home(DeveloperHome::Disks::three);
  home.scan();
  Shown shown(*home.state);
  ASSERT_EQ(diskRows(shown.card()).size(), 3);
  EXPECT_EQ(shown.card()->list()->height(), 230);
  EXPECT_GT(shown.card()->list()->verticalScrollBar()->maximum(), 0);
}

TEST(VirtualDisksCard, CopyingPutsOnlyTheCommandOnTheClipboardAndMovesTheCopiedMark) {
  DeveloperHome home(DeveloperHome::Disks::twoDockerImages);
  home.scan();
  Shown shown(*home.state);
  VirtualDisksCard* card = shown.card();
  ASSERT_EQ(card->disks().size(), 2u);
  QWidget* first = diskRow(card, card->disks()[0].path);
  QWidget* second = diskRow(card, card->disks()[1].path);
  ASSERT_TRUE(first && second);

  // Whatever the clipboard held before, with its other formats, is replaced.
  auto* before = new QMimeData;
  before->setHtml(QStringLiteral("<b>old</b>"));
  before->setData(QStringLiteral("application/x-other"), "x");
  QGuiApplication::clipboard()->setMimeData(before);

  part<QPushButton>(first, names::virtualDiskCopy)->click();
  const QMimeData* now = QGuiApplication::clipboard()->mimeData();
  ASSERT_TRUE(now);
  EXPECT_EQ(now->formats(), QStringList{QStringLiteral("text/plain")});
  EXPECT_EQ(now->text(), QStringLiteral("docker system prune"));
  // Same command on both rows: only the one copied from says so.
  EXPECT_EQ(buttonText(first), QStringLiteral("Copied"));
  EXPECT_EQ(buttonText(second), QStringLiteral("Copy Command"));
  EXPECT_EQ(card->copied(), card->disks()[0].path);

  part<QPushButton>(second, names::virtualDiskCopy)->click();
  EXPECT_EQ(buttonText(first), QStringLiteral("Copy Command"));
  EXPECT_EQ(buttonText(second), QStringLiteral("Copied"));
  part<QPushButton>(second, names::virtualDiskCopy)->click();
  EXPECT_EQ(buttonText(second), QStringLiteral("Copied"));

  // A refresh with the same images keeps the mark (nothing is rebuilt, nothing is cleared).
  card->refresh();
  EXPECT_EQ(buttonText(second), QStringLiteral("Copied"));
}
