// The Info tab: icon, product texts and the two links.
#include <QDesktopServices>
#include <QLabel>
#include <QUrl>

#include "Main.h"
#include "Placement.h"

namespace {

constexpr const char* kWebAddress = "https://vistrel.example.org";
constexpr const char* kMailAddress = "support@vistrel.example.org";

}  // namespace

void TForm1::CreateInfoTab() {
  QWidget* tab = TabSheet1;
  InfoIcon = Place(new QLabel(tab), "InfoIcon", 11, 10, 35, 36);
  InfoIcon->setPixmap(windowIcon().pixmap(32, 32));
  InfoIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  ProductName = new QLabel("Vistrel  Puts JPEG Images into AVI Files.", tab);
  QFont bold = ProductName->font();
  bold.setBold(true);
  ProductName->setFont(bold);
  PlaceLabel(ProductName, "ProductName", 51, 12);
  Version = PlaceLabel(new QLabel("Version 1.4", tab), "Version", 52, 30);
  Label13 =
      Place(new QLabel("Vistrel puts single images in an AVI Video Slide Show. ", tab), "Label13", 10, 56, 319, 29);
  Label13->setWordWrap(true);

  Label5 = Place(new TClickLabel("Vistrel is free software by the Vistrel developers. It comes without any "
                                 "warranty. Pictures, sound and videos you use with it remain yours.",
                                 tab, false),
                 "Label5", 10, 273, 287, 87);
  Label5->setWordWrap(true);
  Label5->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  connect(Label5, &TClickLabel::clicked, this, [this] { Guarded([this] { Label5Click(); }); });

  lbMail = new TClickLabel(kMailAddress, tab, true);
  PlaceLabel(lbMail, "lbMail", 407, 372);
  connect(lbMail, &TClickLabel::clicked, this, [this] { lbMailClick(); });
  lbHyperlink = new TClickLabel(kWebAddress, tab, true);
  PlaceLabel(lbHyperlink, "lbHyperlink", 407, 388);
  connect(lbHyperlink, &TClickLabel::clicked, this, [this] { lbHyperlinkClick(); });
}

// The shell's answer is not looked at: a link that cannot be opened does nothing visible.
void TForm1::lbHyperlinkClick() { QDesktopServices::openUrl(QUrl(kWebAddress)); }

void TForm1::lbMailClick() { QDesktopServices::openUrl(QUrl(QString("mailto:") + kMailAddress)); }
