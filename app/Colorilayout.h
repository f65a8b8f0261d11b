// Geometry of the colour scheme editor and of its naming dialog as designed. The
// end-to-end tests click the controls at these places.
#pragma once

#include <QRect>

namespace vombrel::colorilayout {

inline constexpr int kWidth = 452;
inline constexpr int kHeight = 196;

// The preview: a small copy of the main window (title strip, text area, position bar,
// button row) inside a flat frame.
inline constexpr QRect kAnteprima{8, 8, 212, 140};
inline constexpr int kPreviewTitleHeight = 16;
inline constexpr QRect kPannelloFlat{0, kPreviewTitleHeight, 212, 124};
inline constexpr QRect kPannello{1, 1, 210, 52};
inline constexpr QRect kPannelloInfo{5, 6, 200, 40};
inline constexpr QRect kPannelloScorrimento{1, 53, 210, 24};
inline constexpr QRect kPosizioneFinto{5, 6, 200, 12};
inline constexpr QRect kThumbFinto{70, 1, 16, 10};
inline constexpr QRect kPannelloPulsanti{1, 77, 210, 46};
inline constexpr int kPreviewButtonTop = 10;
inline constexpr int kPreviewButtonLeft = 6;
inline constexpr int kPreviewButtonWidth = 30;
inline constexpr int kPreviewButtonHeight = 24;
inline constexpr int kPreviewButtonGap = 3;

// The right-hand column: the scheme list with the random buttons, the roles, the buttons.
inline constexpr QRect kPnlCombinazione{228, 8, 216, 28};
inline constexpr QRect kListaCombinazioni{0, 2, 164, 24};
inline constexpr QRect kBtnAutoColor{168, 2, 28, 24};
inline constexpr QRect kRxSpeedButton1{196, 2, 18, 24};
inline constexpr QRect kGroupComponenti{228, 40, 216, 108};
inline constexpr QRect kListaComponenti{8, 22, 200, 24};
inline constexpr int kFieldRowTop = 58;
inline constexpr QRect kButtonSceltaColore{180, 56, 28, 26};
inline constexpr QRect kPnlPulsanti{8, 156, 436, 32};
inline constexpr QRect kButtonSalva{0, 3, 100, 26};
inline constexpr QRect kButtonConferma{228, 3, 100, 26};
inline constexpr QRect kButtonAnnulla{336, 3, 100, 26};

// Absolute places (window coordinates) of the controls the tests click.
inline constexpr QRect InWindow(const QRect& parent, const QRect& child) { return child.translated(parent.topLeft()); }
inline constexpr QRect kBtnAutoColorAt = InWindow(kPnlCombinazione, kBtnAutoColor);
inline constexpr QRect kRxSpeedButton1At = InWindow(kPnlCombinazione, kRxSpeedButton1);
inline constexpr QRect kListaCombinazioniAt = InWindow(kPnlCombinazione, kListaCombinazioni);
inline constexpr QRect kButtonConfermaAt = InWindow(kPnlPulsanti, kButtonConferma);
inline constexpr QRect kButtonAnnullaAt = InWindow(kPnlPulsanti, kButtonAnnulla);
inline constexpr QRect kButtonSalvaAt = InWindow(kPnlPulsanti, kButtonSalva);
// The preview's text area, whose face shows the TextBox role.
inline constexpr QRect kPannelloInfoAt = InWindow(kAnteprima,
                                                  InWindow(kPannelloFlat, InWindow(kPannello, kPannelloInfo)));

// The naming dialog.
inline constexpr int kNomeWidth = 300;
inline constexpr int kNomeHeight = 92;
inline constexpr QRect kLabelNome{10, 8, 280, 18};
inline constexpr QRect kEditNomeCombinazione{10, 28, 280, 24};
inline constexpr QRect kNomeButtonConferma{82, 60, 100, 26};
inline constexpr QRect kNomeButtonAnnulla{190, 60, 100, 26};

}  // namespace vombrel::colorilayout
