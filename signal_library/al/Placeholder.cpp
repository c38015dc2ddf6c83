namespace al { int placeholder = 0; }
