#include "ui/CProgressWnd.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "app/SettingsStore.h"
#include "ui/MessageBox.h"

namespace talvenor::ui {
namespace {

constexpr int kEdge = 2;  // the 3-D edge of the classic look, in pixels
constexpr int kLayoutWidth = 390;

}  // namespace

// Watches the input dispatched by PumpMessages: Esc anywhere, and the release of the mouse
// over Cancel, cancel at once, before the button's own click arrives.
class CProgressWnd::InputWatch : public QObject {
 public:
  explicit InputWatch(CProgressWnd& owner) : m_owner(owner) { qApp->installEventFilter(this); }
  ~InputWatch() override { qApp->removeEventFilter(this); }
  bool pumping = false;

 protected:
  bool eventFilter(QObject* target, QEvent* event) override {
    if (!pumping || m_owner.m_bCancelRequested) return false;
    if (event->type() == QEvent::KeyPress && m_owner.m_bCancelOnEsc &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      m_owner.OnCancelButton();
      return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && m_owner.m_bModalMode && target == m_owner.m_buttonCancel) {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton && m_owner.m_buttonCancel->rect().contains(mouse->position().toPoint())) {
        m_owner.OnCancelButton();
      }
    }
    return false;
  }

 private:
  CProgressWnd& m_owner;
};

CProgressWnd::CProgressWnd(QWidget* owner, const std::string& title, bool smooth, SettingsStore* positions)
    : m_owner(owner), m_positions(positions), m_inputWatch(std::make_unique<InputWatch>(*this)) {
  m_strCaption = QString::fromUtf8(title);
  Create(owner, title, smooth);
}

CProgressWnd::~CProgressWnd() { Destroy(); }

bool CProgressWnd::Create(QWidget* owner, const std::string& title, bool /*smooth: the bar is always drawn whole*/) {
  m_owner = owner;
  // No parent: the owner is disabled while this window is modal, and a Qt parent would take
  // this window down with it. The owner is only the transient parent for stacking.
  m_wnd = new QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
  m_wnd->setAttribute(Qt::WA_ShowWithoutActivating);
  m_wnd->setWindowTitle(QString::fromUtf8(title));
  m_wnd->setCursor(Qt::BusyCursor);

  m_staticText = new QLabel(m_wnd);
  m_staticText->setObjectName(QString::number(kTextId));
  m_staticText->setTextFormat(Qt::PlainText);
  m_staticText->setWordWrap(false);
  m_staticText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_progressBar = new QProgressBar(m_wnd);
  m_progressBar->setObjectName(QString::number(kBarId));
  m_progressBar->setTextVisible(false);
  // A new bar stands at 0 of 0..100, as the caller's first SetPos expects.
  m_progressBar->setRange(0, 100);
  m_progressBar->setValue(0);
  m_buttonCancel = new QPushButton(m_strCancelText, m_wnd);
  m_buttonCancel->setObjectName(QString::number(kCancelId));
  m_buttonCancel->setAutoDefault(false);
  QObject::connect(m_buttonCancel, &QPushButton::clicked, [this] { OnCancelButton(); });

  const QFont font = QApplication::font();
  m_staticText->setFont(font);
  m_buttonCancel->setFont(font);
  LayOut(m_nTextLines, kLayoutWidth);
  if (m_bKeepPosition) {
    RestorePosition();
  } else {
    CentreOverOwner();
  }
  // Only once it is placed: a window made before its first move is placed by its client area,
  // not its frame, and would creep up by a title bar at each opening.
  if (owner && owner->window()->windowHandle()) {
    m_wnd->winId();
    m_wnd->windowHandle()->setTransientParent(owner->window()->windowHandle());
  }
  // It stays on top: the boxes shown while it is open must open over it.
  MessageBox::SetWindowInFront(m_wnd);
  Show();
  return true;
}

void CProgressWnd::LayOut(int lines, int width) {
  const QFontMetrics metrics(m_staticText->font());
  QRect text(10, 10, width, metrics.height() * lines);
  const QFontMetrics buttonMetrics(m_buttonCancel->font());
  const int buttonWidth = buttonMetrics.horizontalAdvance(m_strCancelText + QStringLiteral("  ")) + 4 * kEdge;
  const int buttonHeight = buttonMetrics.height() + 3 * kEdge;
  const QRect button(text.right() + 1 - buttonWidth, text.bottom() + 1 + 10, buttonWidth, buttonHeight);
  const QRect bar(QPoint(text.left(), button.top() + kEdge), QPoint(button.left() - 10 - 1, button.bottom() - kEdge));
  const QPoint corner = m_wnd->pos();
  m_wnd->setFixedSize(text.width() + 20, text.height() + buttonHeight + 30);
  MoveFrameTo(corner);
  m_progressBar->setGeometry(bar);
  m_buttonCancel->setGeometry(button);
  m_staticText->setGeometry(text);
}

bool CProgressWnd::EnterModal(const std::string& title, bool smooth) {
  if (!m_wnd && !Create(m_owner, title, smooth)) return false;
  // Disable the top-most enabled window of the owner chain, as a modal window does.
  QWidget* reached = m_wnd;
  QWidget* next = m_owner;
  while (next && next->isEnabled()) {
    reached = next;
    next = next->parentWidget() ? next->parentWidget()->window() : nullptr;
  }
  m_pDisabledOwner = reached;
  reached->setEnabled(false);
  m_wnd->setEnabled(true);
  m_bModalMode = true;
  return true;
}

void CProgressWnd::SetRange(int lower, int upper, int step) {
  if (!m_wnd) return;
  m_progressBar->setRange(lower, upper);
  m_count.SetRange(lower, upper, step);
}

void CProgressWnd::SetText(const char* format, ...) {
  if (!m_wnd) return;
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::vector<char> text(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size(), format, again);
  va_end(again);
  m_staticText->setText(QString::fromUtf8(text.data()));
  // A line wider than the layout would be cut off; in a language with longer lines the window
  // widens to show it whole instead.
  const int widest = m_staticText->fontMetrics().boundingRect(QRect(), Qt::TextDontClip, m_staticText->text()).width();
  if (widest <= m_staticText->width()) return;
  LayOut(m_nTextLines, widest);
  // It grows to the right from its corner; a window centred over its owner is centred again.
  if (m_bCentred) CentreOverOwner();
}

int CProgressWnd::SetPos(int position) {
  if (!m_wnd) return m_count.Position();
  Show();
  if (m_count.MoveTo(position))
    m_wnd->setWindowTitle(QStringLiteral("%1 [%2%]").arg(m_strCaption).arg(m_count.Percent()));
  const int previous = m_progressBar->value();
  m_progressBar->setValue(position);
  return previous;
}

int CProgressWnd::Step() { return SetPos(m_count.NextStep()); }

void CProgressWnd::Reset() {
  if (m_wnd) {
    SetText("%s", "");
    SetPos(0);
  }
  m_bCancelRequested = false;
  m_count.Restart();
  if (m_wnd) m_wnd->repaint();
}

void CProgressWnd::Show() {
  if (!m_wnd || m_wnd->isVisible()) return;
  m_wnd->show();
  m_wnd->repaint();
}

void CProgressWnd::Hide() {
  if (m_wnd && m_wnd->isVisible()) m_wnd->hide();
}

void CProgressWnd::PumpMessages(bool cancelOnEsc) {
  if (m_bModalMode && m_wnd && !m_wnd->isActiveWindow()) {
    m_wnd->activateWindow();
    m_wnd->setFocus();
  }
  if (m_bCancelRequested) return;
  m_bCancelOnEsc = cancelOnEsc;
  m_inputWatch->pumping = true;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  m_inputWatch->pumping = false;
}

void CProgressWnd::OnCancelButton() {
  if (m_bKeepPosition) SavePosition();
  m_bCancelRequested = true;
  Hide();
  if (m_bModalMode && m_wnd) {
    // As a closed modal window: gone at the next dispatch; the owner stays disabled until Destroy.
    QTimer::singleShot(0, m_inputWatch.get(), [window = m_wnd] { delete window.data(); });
  }
  if (m_owner && m_owner->isVisible()) {
    m_owner->raise();
    m_owner->activateWindow();
  }
}

void CProgressWnd::Destroy() {
  if (m_bKeepPosition) SavePosition();
  if (m_bModalMode) {
    m_bModalMode = false;
    if (m_pDisabledOwner) m_pDisabledOwner->setEnabled(true);
  }
  delete m_wnd.data();
}

void CProgressWnd::SavePosition() {
  if (!m_wnd || !m_positions) return;
  const QPoint topLeft = m_wnd->frameGeometry().topLeft();
  m_positions->SaveProgressPosition(topLeft.x(), topLeft.y());
}

void CProgressWnd::RestorePosition() {
  const auto [x, y] = m_positions ? m_positions->LoadProgressPosition() : std::pair<int, int>(-1, -1);
  // Any screen of the desktop counts, not only the first.
  if (x >= 0 && y >= 0 && QGuiApplication::screenAt(QPoint(x, y))) {
    MoveFrameTo(QPoint(x, y));
  } else {
    CentreOverOwner();
  }
}

// Resizing or moving a window that is shown but not yet framed by the window manager places its
// client area, not its frame, at the corner: the window would creep up by a title bar at each
// Start. The native window is told the frame's corner instead.
void CProgressWnd::MoveFrameTo(QPoint corner) {
  if (QWindow* native = m_wnd->windowHandle()) {
    native->setFramePosition(corner);
  } else {
    m_wnd->move(corner);
  }
}

void CProgressWnd::CentreOverOwner() {
  m_bCentred = true;
  QRect area;
  if (m_owner && m_owner->isVisible() && !m_owner->isMinimized()) {
    area = m_owner->frameGeometry();
  } else {
    QScreen* screen = m_owner ? m_owner->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    area = screen->availableGeometry();
  }
  QRect frame = m_wnd->frameGeometry();
  if (!m_wnd->windowHandle() && m_owner) {
    // Not framed yet: the window manager will give it a frame like the owner's.
    const QRect ownerFrame = m_owner->frameGeometry(), ownerClient = m_owner->geometry();
    frame.adjust(ownerFrame.left() - ownerClient.left(), ownerFrame.top() - ownerClient.top(),
                 ownerFrame.right() - ownerClient.right(), ownerFrame.bottom() - ownerClient.bottom());
  }
  frame.moveCenter(area.center());
  MoveFrameTo(frame.topLeft());
}

}  // namespace talvenor::ui
