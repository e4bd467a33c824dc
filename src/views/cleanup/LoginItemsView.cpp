#include "views/cleanup/LoginItemsView.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QUrl>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/ActivitySpinner.h"
#include "app/components/Card.h"
#include "app/components/PageHeader.h"
#include "app/components/SymbolView.h"
#include "app/services/UiServices.h"
#include "views/cleanup/CleanupPieces.h"
#include "views/cleanup/DetachedWork.h"
#include "views/cleanup/LaunchItemList.h"
#include "views/cleanup/logic/LoginItemsContent.h"

namespace tolvex {

namespace {
constexpr int kMargin = 24;
}  // namespace

LoginItemsLoaders LoginItemsLoaders::standard(const Places& places, std::function<double()> clock) {
  LaunchItemContext context = LaunchItemContext::forPlaces(places);
  if (clock) context.clock = std::move(clock);
  return forContext(std::move(context));
}

LoginItemsLoaders LoginItemsLoaders::forContext(LaunchItemContext context) {
  auto shared = std::make_shared<const LaunchItemContext>(std::move(context));
  return {[shared] { return loadLaunchItems(*shared); },
          [shared](const LaunchItem& item) { return performLaunchItemRemoval(item, *shared); }};
}

LoginItemsView::LoginItemsView(AppState& state, QWidget* parent)
    : LoginItemsView(state, LoginItemsLoaders::standard(state.environment().places, state.environment().clock),
                     parent) {}

LoginItemsView::LoginItemsView(AppState& state, LoginItemsLoaders loaders, QWidget* parent)
    : Screen(state, parent),
      loaders_(std::move(loaders)),
      record_(state.removalRecorder()),
      work_(new DetachedWork(this)) {
  setObjectName(QLatin1String(names::loginItemsView));
  QVBoxLayout* page = ambientPage();
  page->setSpacing(14);
  QWidget* host = page->parentWidget();

  page->addWidget(buildHeader());

  messageLabel_ = new SymbolLabel(QString(), QStringLiteral("info.circle"), host);
  messageLabel_->setObjectName(QLatin1String(names::loginItemsMessage));
  messageLabel_->setTextStyle(TextStyle::callout);
  messageLabel_->label()->setWordWrap(true);
  messageLabel_->label()->setTextFormat(Qt::PlainText);
  messageLabel_->label()->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Theme::setForeground(messageLabel_, Tone::secondary);
  messageLabel_->setContentsMargins(kMargin, 0, kMargin, 0);
  messageLabel_->hide();
  page->addWidget(messageLabel_);

  loadingPanel_ = buildLoadingPanel();
  page->addWidget(loadingPanel_, 1);

  card_ = new Card(6, host);
  card_->setObjectName(QLatin1String(names::loginItemsCard));
  list_ = new LaunchItemList(card_);
  card_->body()->addWidget(list_);
  auto* cardRow = new QHBoxLayout;
  cardRow->setContentsMargins(kMargin, 0, kMargin, kMargin);
  cardRow->addWidget(card_);
  page->addLayout(cardRow, 1);

  connect(list_, &LaunchItemList::revealRequested, this, [](const std::string& path) { revealPathInFinder(path); });
  connect(list_, &LaunchItemList::removeRequested, this, [this](const LaunchItem& item) { remove(item); });
  syncLoading();
}

QWidget* LoginItemsView::buildHeader() {
  auto* header = new PageHeader(tr("Login Items"),
                                tr("Programs and services that start with your computer. Removing one stops it "
                                   "from starting; the app itself stays installed."),
                                this);
  header->setContentsMargins(kMargin, kMargin, kMargin, 0);

  auto* settings = new QPushButton(tr("Open Login Items Settings"), header);
  settings->setObjectName(QLatin1String(names::loginItemsSettings));
  settings->setAutoDefault(false);
  connect(settings, &QPushButton::clicked, this, [] {
    openLoginItemsSettings([](const std::string& url) {
      // Where no application handles the system's settings page, nothing opens and nothing is said.
      auto& services = UiServices::shared();
      if (services.openUrl) services.openUrl(QUrl(QString::fromStdString(url)));
    });
  });
  header->addTrailing(settings);

  refresh_ = new QPushButton(header);
  refresh_->setObjectName(QLatin1String(names::loginItemsRefresh));
  refresh_->setAutoDefault(false);
  refreshButtonLabel(refresh_);
  connect(refresh_, &QPushButton::clicked, this, &LoginItemsView::load);
  header->addTrailing(refresh_);
  return header;
}

QWidget* LoginItemsView::buildLoadingPanel() {
  auto* panel = new QWidget(this);
  panel->setObjectName(QLatin1String(names::loginItemsLoading));
  auto* column = new QVBoxLayout(panel);
  column->addStretch(1);
  auto* spinner = new ActivitySpinner(20, panel);
  column->addWidget(spinner, 0, Qt::AlignHCenter);
  auto* text = new QLabel(tr("Reading login items\u2026"), panel);
  text->setFont(Theme::font(TextStyle::body));
  Theme::setForeground(text, Tone::secondary);
  column->addWidget(text, 0, Qt::AlignHCenter);
  column->addStretch(1);
  return panel;
}

const std::vector<LaunchItem>& LoginItemsView::items() const { return list_->itemModel()->items(); }

const std::optional<std::string>& LoginItemsView::selection() const { return list_->selectedPath(); }

void LoginItemsView::refresh() {
  // Nothing of the store is shown here.
}

void LoginItemsView::showEvent(QShowEvent* event) {
  Screen::showEvent(event);
  // A screen shown again with its items still loaded does not read them again.
  if (!event->spontaneous() && items().empty() && !loading()) reload();
}

void LoginItemsView::load() {
  if (loading()) return;
  reload();
}

void LoginItemsView::reload() {
  ++loads_;
  const uint64_t ticket = ++loadTicket_;
  syncLoading();
  auto loadItems = loaders_.load;
  work_->run<std::vector<LaunchItem>>([loadItems] { return loadItems ? loadItems() : std::vector<LaunchItem>(); },
                                      [this, ticket](std::vector<LaunchItem>& items) {
                                        --loads_;
                                        // Loads may overlap (a removal's reload during a refresh): a list read earlier
                                        // than the one shown would bring back an item already removed.
                                        if (ticket > shownTicket_) {
                                          shownTicket_ = ticket;
                                          list_->setItems(std::move(items));
                                        }
                                        syncLoading();
                                        emit itemsChanged();
                                      });
}

void LoginItemsView::remove(const LaunchItem& item) {
  auto removeItem = loaders_.remove;
  work_->run<LaunchItemRemoval>(
      [removeItem, item, record = record_]() -> LaunchItemRemoval {
        // Without a way to remove, nothing was removed: never report success.
        if (!removeItem) return {std::string(kCouldNotRemoveMessage), std::nullopt};
        LaunchItemRemoval outcome = removeItem(item);
        // Recorded from here, so that the record is kept even if the screen is left meanwhile.
        if (outcome.trashed && record) record({*outcome.trashed});
        return outcome;
      },
      [this, item](LaunchItemRemoval& outcome) {
        message_ = launchItemRemovalOutcome(item, outcome);
        messageLabel_->setText(*message_);
        messageLabel_->show();
        emit messageChanged();
        reload();
      });
}

void LoginItemsView::syncLoading() {
  refresh_->setEnabled(!loading());
  const bool waiting = loading() && items().empty();
  loadingPanel_->setVisible(waiting);
  card_->setVisible(!waiting);
}

}  // namespace tolvex
