patch:Old
