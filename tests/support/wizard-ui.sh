# Marshal's wizard window driven by xdotool, for the end-to-end scripts (sourced after
# wine-env.sh). Positions are client pixels of the wizard at 96 dpi.

# Waits up to SECONDS for the wizard; sets wizard (its id), cx and cy (the client area's
# origin on the screen), wx, wy, ww and wh (the window's rectangle).
tw_wizard_find() {
    wizard=$(tw_wait_window '^Osprey Online StartUp Wizard$' "$1") || return 1
    sleep 1
    # The window is 6525 x 4470 twips (435 x 298 pixels) inside a frame of equal width on
    # three sides and the caption on top.
    eval "$(xdotool getwindowgeometry --shell "$wizard")"
    local frame=$(( (WIDTH - 435) / 2 ))
    cx=$(( X + frame ))
    cy=$(( Y + HEIGHT - 298 - frame ))
    wx=$X wy=$Y ww=$WIDTH wh=$HEIGHT
}
tw_wizard_click() { xdotool mousemove $(( cx + $1 )) $(( cy + $2 )) sleep 0.2 click 1; sleep 0.4; }
tw_wizard_key() { xdotool key "$@"; sleep 0.8; }
tw_wizard_next() { tw_wizard_click 303 276; }  # Next, Begin, Finish or Exit
tw_wizard_row_y() { echo $(( 73 + 16 * ($1 - 1) )); }
tw_wizard_check() { tw_wizard_click 154 "$(tw_wizard_row_y "$1")"; }  # row N's check box
tw_wizard_select() { tw_wizard_click 200 "$(tw_wizard_row_y "$1")"; }  # row N's text

# Answers the next message box titled "Online StartUp Wizard", shown within SECONDS.
tw_wizard_answer() {
    local box
    box=$(tw_wait_window '^Online StartUp Wizard$' "$1") || return 1
    sleep 0.3
    tw_answer "$box" Return 50 || return 1
    sleep 0.5
}
