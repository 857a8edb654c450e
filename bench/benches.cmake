set(BENCHES refresh_displays)
