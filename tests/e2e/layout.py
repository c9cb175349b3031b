"""Where the clickable controls of the setup window lie, and colours that tell pages apart.

Header controls are relative to the window's client area; page controls are relative to their
page panel, whose origin is the page area's origin (Panel1 of tsh2 sits 3 pixels further left).
"""

CLIENT_WIDTH = 679
CLIENT_HEIGHT = 609
PAGE_CONTAINER_TOP = 272

HEADER = {
    "Image1": (492, 24, 162, 65),   # maker's logo: contact page
    "Image2": (10, 8, 31, 23),      # German flag
    "Image3": (47, 8, 31, 23),      # US flag
}

PANEL_OFFSET = {"tsh2": -3}

# control: (page, left, top, width, height, auto-sized label)
PAGE = {
    "lblWindows": ("tsh1", 133, 216, 95, 29, True),
    "imgWindows": ("tsh1", 139, 137, 81, 73, False),
    "imgAndroid": ("tsh1", 456, 137, 81, 73, False),
    "lblAndroid": ("tsh1", 460, 216, 80, 29, True),
    "lblMore": ("tsh1", 40, 292, 47, 25, True),
    "pnlExit": ("tsh1", 480, 280, 185, 41, False),
    "pnlBtnBack2": ("tsh2", 480, 280, 185, 41, False),
    "pnlBtnRety": ("tsh3", 257, 160, 185, 41, False),
    "pnlBtnCancelDownload": ("tsh3", 473, 280, 185, 41, False),
    "lblMorePavoWindows": ("tsh4", 49, 80, 242, 25, True),
    "lblMorePavoAndroid": ("tsh4", 49, 111, 231, 25, True),
    "lblMoreRilo": ("tsh4", 49, 142, 167, 25, True),
    "lblMoreSoftwareRilo": ("tsh4", 49, 248, 167, 25, True),
    "pnlBtnBackOther": ("tsh4", 480, 280, 185, 41, False),
    "lblTumoOnlyInstall": ("tsh0", 0, 208, 679, 29, False),
    "Image6": ("tsh0", 293, 121, 81, 73, False),
    "PnlExitTumo": ("tsh0", 480, 280, 185, 41, False),
    "lblRiloInstall": ("tsh5", 0, 208, 679, 29, False),
    "imgRiloInstall": ("tsh5", 293, 121, 81, 73, False),
    "PnlExitRilo": ("tsh5", 480, 280, 185, 41, False),
}

PAGE_BLUE = (0x00, 0x40, 0xD5)
BUTTON_BLUE = (0xCA, 0xDF, 0xF7)


def click_point(name):
    """Client coordinates of a safe point on the control: the centre, or for an auto-sized
    label a point near its left edge, since its width follows the text of the language."""
    if name in HEADER:
        left, top, width, height = HEADER[name]
        return left + width // 2, top + height // 2, None
    page, left, top, width, height, auto = PAGE[name]
    left += PANEL_OFFSET.get(page, 0)
    x = left + min(12, width // 2) if auto else left + width // 2
    return x, top + height // 2, page
