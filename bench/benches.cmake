set(BENCHES refresh_displays slider_drag)
