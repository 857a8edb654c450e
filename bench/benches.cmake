set(BENCHES refresh_displays slider_drag control_window power_card)
