include $(sort $(wildcard $(BR2_EXTERNAL_ZENTU_PATH)/package/*/*.mk))
